#include "platform/SystemInfo.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {

bool QueryWow64(bool& isWow64)
{
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64))
        return false;
    isWow64 = wow64 != FALSE;
    return true;
}

uint16_t NativeArchitecture()
{
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

}  // namespace quen::platform
