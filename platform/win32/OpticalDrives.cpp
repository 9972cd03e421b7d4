// Windows: optical drives are the drive letters of type CD-ROM; the tray
// opens through the storage driver once the disc's volume is let go.
#include "platform/OpticalDrives.h"
#include "platform/win32/WindowsSupport.h"

#include "foundation/Report.h"
#include "platform/win32/ErrorLine.h"

#include <winioctl.h>

namespace quen::platform {
namespace {

bool Refused(const std::wstring& root, const std::wstring& why)
{
    Report(ReportLevel::Warning, L"Could not open drive " + root + L": " + why);
    return false;
}

bool Control(HANDLE device, DWORD code, void* in = nullptr, DWORD inSize = 0)
{
    DWORD returned = 0;
    return ::DeviceIoControl(device, code, in, inSize, nullptr, 0, &returned, nullptr) != FALSE;
}

}  // namespace

std::vector<std::wstring> ListOpticalDrives()
{
    std::vector<std::wstring> roots;
    const DWORD present = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":\\";
        if ((present & (1u << i)) && ::GetDriveTypeW(root.c_str()) == DRIVE_CDROM)
            roots.push_back(root);
    }
    return roots;
}

bool EjectOpticalDrive(const std::wstring& root)
{
    if (root.size() < 2 || root[1] != L':' || ::GetDriveTypeW((root.substr(0, 2) + L"\\").c_str()) != DRIVE_CDROM)
        return Refused(root, L"it is not an optical drive");

    const std::wstring volume = L"\\\\.\\" + root.substr(0, 2);
    win32::ScopedHandle device(::CreateFileW(volume.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device.Valid())
        return Refused(root, win32::ErrorLine(::GetLastError()));

    // Let go of the disc's file system; a drive whose disc is still in use
    // then refuses the eject below and says so.
    Control(device.Get(), FSCTL_LOCK_VOLUME);
    Control(device.Get(), FSCTL_DISMOUNT_VOLUME);
    PREVENT_MEDIA_REMOVAL allow{};
    allow.PreventMediaRemoval = FALSE;
    Control(device.Get(), IOCTL_STORAGE_MEDIA_REMOVAL, &allow, sizeof allow);
    if (!Control(device.Get(), IOCTL_STORAGE_EJECT_MEDIA))
        return Refused(root, win32::ErrorLine(::GetLastError()));
    return true;
}

}  // namespace quen::platform
