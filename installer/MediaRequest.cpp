// The run's steps: asking the host for a recovery disc.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/Plugins.h>

#include "installer/RunSteps.h"

namespace {

// The root of the drive that holds `path` ("E:\"), or empty when it names
// no drive (a share).
std::wstring DriveRoot(const std::wstring& path)
{
    const bool drive = path.size() >= 2 && path[1] == L':' &&
                       ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    if (drive)
        return path.substr(0, 2) + L"\\";
    return std::wstring();
}

}  // namespace

bool quen::detail::RunSteps::RequestMedia(CInstaller& installer, int discIndex, bool repeat, bool openDrive)
{
    if (!repeat)
        quen::Log(eLogInfo) << L"Firing MediaRequired event: " << discIndex;
    bool answer = false;

    // The plug-in acts on its selected drive: select the source's, so that
    // only the drive the discs are read from opens.
    const auto burner =
        std::dynamic_pointer_cast<IMediaBurner>(COSDependentFactory::GetInstance().GetPlugin(L"MediaBurner"));
    if (burner && openDrive) {
        burner->SelectDrive(DriveRoot(installer.m_sourceDir));
        burner->MediaRequest();
    } else if (!burner && !repeat) {
        quen::Log(eLogWarning) << L"No MediaBurner plug-in: the drive is not opened for the disc.";
    }

    installer.m_mediaRequiredEvent.FireEvent(discIndex, &answer);
    return answer;
}
