// Private registry roots through the predefined-key override.
#include "fakes/RegistryIsolation.h"

#include "platform/win32/RegistryViews.h"
#include "platform/win32/WindowsSupport.h"

#include <utility>

namespace quen::test {

using platform::win32::ScopedKey;

uint32_t RegIsolateRoots(const std::wstring& privateKey, bool isolate)
{
    if (!isolate) {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        platform::win32::SetMachineRootRedirected(false);
        return static_cast<uint32_t>(::RegDeleteTreeW(HKEY_CURRENT_USER, privateKey.c_str()));
    }
    // Both targets are opened before HKCU itself is redirected.
    ScopedKey machine, user;
    for (auto [suffix, target] : {std::pair{L"\\HKLM", &machine}, std::pair{L"\\HKCU", &user}}) {
        const LSTATUS status =
            ::RegCreateKeyExW(HKEY_CURRENT_USER, (privateKey + suffix).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, target->Receive(), nullptr);
        if (status != ERROR_SUCCESS)
            return static_cast<uint32_t>(status);
    }
    if (const LSTATUS status = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine.Get()); status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    if (const LSTATUS status = ::RegOverridePredefKey(HKEY_CURRENT_USER, user.Get()); status != ERROR_SUCCESS) {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        return static_cast<uint32_t>(status);
    }
    platform::win32::SetMachineRootRedirected(true);
    return ERROR_SUCCESS;
}

}  // namespace quen::test
