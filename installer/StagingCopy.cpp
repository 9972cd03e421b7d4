// The run's steps: staging the copy list into the work area.
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "installer/CopyList.h"
#include "installer/RunSteps.h"
#include "platform/ByteProgress.h"

bool quen::detail::RunSteps::CopyFiles(CInstaller& installer, CCopyList& list)
{
    quen::Log(eLogInfo) << L"Beginning installation";
    // The bytes of each copy and unpack, so that a host shows a long one move.
    const quen::platform::ByteProgressScope watch([&installer](const std::wstring& item, uint64_t done, uint64_t total) {
        installer.FireDetailProgressEvent(item, done, total);
    });
    for (std::size_t i = 0; i < list.Size(); ++i) {
        IModuleToCopy* entry = list[i];
        // A cancel is honoured between entries, never halfway through one.
        if (installer.Cancelled())
            return true;
        const int disc = entry->GetDisc();
        quen::Log(eLogInfo) << L"Copying " << entry->CustomerLabel() << L"...";
        if (!DiscIsLoaded(installer, disc))
            return false;
        // A disk that fills up half-way leaves a run failed after long
        // copying: what a source holds is weighed before its first copy.
        if (i == 0 || list[i - 1]->GetDisc() != disc)
            installer.CheckStagingSpace(list, i);
        entry->CopyToInstallDir();
        installer.AddOneChunk();
        installer.FireProgressEvent();
    }
    return true;
}
