#include "platform/DiskSpace.h"
#include "platform/win32/ApiPath.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {

bool SystemFreeDiskSpace(const std::wstring& folder, uint64_t& bytes)
{
    ULARGE_INTEGER freeToCaller;
    if (!::GetDiskFreeSpaceExW(win32::ApiPath(folder).c_str(), &freeToCaller, nullptr, nullptr))
        return false;
    bytes = freeToCaller.QuadPart;
    return true;
}

}  // namespace quen::platform
