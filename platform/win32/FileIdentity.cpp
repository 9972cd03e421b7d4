#include "platform/win32/FileIdentity.h"
#include "platform/win32/ApiPath.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform::win32 {

bool IdentifyFile(const std::wstring& path, FileIdentity& identity)
{
    // Attributes alone need no access to the content, and every sharing mode
    // is allowed, so a file that another program holds open is identified
    // too. Backup semantics open folders as well.
    const ScopedHandle file(::CreateFileW(ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid())
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file.Get(), &info))
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace quen::platform::win32
