// CInstaller: staging the copy list into the work area.
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "installer/AppPackage.h"
#include "installer/CopyList.h"
#include "module/RecordPath.h"
#include "platform/ByteProgress.h"

bool CInstaller::CopyFiles(CCopyList& list)
{
    quen::Log(eLogInfo) << L"Beginning installation";
    // The bytes of each copy and unpack, so that a host shows a long one move.
    const quen::platform::ByteProgressScope watch(
        [this](const std::wstring& item, uint64_t done, uint64_t total) { FireDetailProgressEvent(item, done, total); });
    for (std::size_t i = 0; i < list.Size(); ++i) {
        IModuleToCopy* entry = list[i];
        // A cancel is honoured between entries, never halfway through one.
        if (Cancelled())
            return true;
        const int disc = entry->GetDisc();
        quen::Log(eLogInfo) << L"Copying " << entry->CustomerLabel() << L"...";
        if (!DiscIsLoaded(disc))
            return false;
        // A disk that fills up half-way leaves a run failed after long
        // copying: what a source holds is weighed before its first copy.
        if (i == 0 || list[i - 1]->GetDisc() != disc)
            CheckStagingSpace(list, i);
        entry->CopyToInstallDir();
        AddOneChunk();
        FireProgressEvent();
    }
    return true;
}

void CInstaller::CopyAppsAndDrivers(CInstaller* installer)
{
    const CDataTable& fi = installer->m_database.FoundationImage();
    const std::wstring release = fi.GetFieldAsString(IdfFields::PathToRelease, true);
    quen::CheckRecordPath(release, IdfFields::PathToRelease, fi.Label(), L".\\Installer", __LINE__);

    const std::wstring source = CFileSystemObject::PathAddSlash(installer->SourceDir()) + release;
    const CDirectory packages(source, L"*.app", false, false);
    if (packages.GetFileCount() == 0)
        return;

    const CDirectory target(CFileSystemObject::PathAddSlash(installer->InstallsDir()) + release);
    target.EnsureEmptyDirExists();
    quen::CopyAndUnpackAppPackage(CFilename(packages.GetFirstFile()->GetFullPath()), target, installer->WIMDir(),
                                  installer->TempDir(), installer->ExtractDir());
}
