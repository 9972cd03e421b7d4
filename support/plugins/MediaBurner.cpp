#include "support/plugins/MediaBurner.h"

#include <quen/Logging.h>

#include "platform/Autoplay.h"
#include "platform/OpticalDrives.h"
#include "platform/Text.h"

#include <algorithm>

namespace quen::plugins {
namespace {

constexpr wchar_t kSource[] = L".\\MediaBurner";

}  // namespace

void CMediaBurner::SelectDrive(const std::wstring& drive)
{
    std::lock_guard lock(m_mutex);
    m_selected = drive;
}

std::wstring CMediaBurner::Selected() const
{
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void CMediaBurner::GetDriveList(std::vector<std::wstring>& drives) { drives = platform::ListOpticalDrives(); }

void CMediaBurner::SuppressAutoplay()
{
    const std::wstring drive = Selected();
    if (drive.empty())
        throw ELibraryException(L"Unable to suppress autoplay: no drive is selected.", kSource, __LINE__);
    if (!platform::SetAutoplayHold(drive, true))
        throw ELibraryException(L"Unable to suppress autoplay on drive " + drive + L".", kSource, __LINE__);
}

void CMediaBurner::RestoreAutoplay()
{
    const std::wstring drive = Selected();
    if (!drive.empty())
        platform::SetAutoplayHold(drive, false);
}

void CMediaBurner::MediaRequest()
{
    const std::wstring drive = Selected();
    const std::vector<std::wstring> optical = platform::ListOpticalDrives();
    const bool isOptical = std::any_of(optical.begin(), optical.end(), [&](const std::wstring& root) {
        return platform::EqualsNoCase(root, drive);
    });
    if (!isOptical) {
        quen::Log(eLogInfo) << L"The recovery source is not on an optical drive; no drive is opened.";
        return;
    }
    quen::Log(eLogInfo) << L"Opening drive " << drive << L" for the next disc.";
    platform::EjectOpticalDrive(drive);
}

}  // namespace quen::plugins
