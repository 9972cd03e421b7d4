// Windows: the redirection switch of kernel32, looked up at run time since
// systems without WOW64 lack it.
#include "platform/Wow64.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {
namespace {

template <typename Function>
Function Kernel32Function(const char* name)
{
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel32, name))) : nullptr;
}

using DisableFunction = BOOL(WINAPI*)(PVOID*);
using RevertFunction = BOOL(WINAPI*)(PVOID);

}  // namespace

ScopedFsRedirectionOff::ScopedFsRedirectionOff()
{
    if (const auto disable = Kernel32Function<DisableFunction>("Wow64DisableWow64FsRedirection"))
        m_turnedOff = disable(&m_saved) != FALSE;
}

ScopedFsRedirectionOff::~ScopedFsRedirectionOff()
{
    // Only a state that was saved is restored.
    if (!m_turnedOff)
        return;
    if (const auto revert = Kernel32Function<RevertFunction>("Wow64RevertWow64FsRedirection"))
        revert(m_saved);
}

}  // namespace quen::platform
