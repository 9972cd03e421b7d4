// Private registry roots through the predefined-key override.
#include "fakes/TestMachine.h"

#include "platform/win32/RegistryViews.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::test {

uint32_t RegIsolateRoots(const std::wstring& privateKey, bool isolate)
{
    if (!isolate) {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        platform::win32::SetMachineRootRedirected(false);
        return static_cast<uint32_t>(::RegDeleteTreeW(HKEY_CURRENT_USER, privateKey.c_str()));
    }
    // Both targets are opened before HKCU itself is redirected.
    platform::win32::ScopedKey machine, user;
    LSTATUS status = ::RegCreateKeyW(HKEY_CURRENT_USER, (privateKey + L"\\HKLM").c_str(), machine.Receive());
    if (status == ERROR_SUCCESS)
        status = ::RegCreateKeyW(HKEY_CURRENT_USER, (privateKey + L"\\HKCU").c_str(), user.Receive());
    if (status == ERROR_SUCCESS)
        status = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine.Get());
    if (status == ERROR_SUCCESS)
        status = ::RegOverridePredefKey(HKEY_CURRENT_USER, user.Get());
    if (status != ERROR_SUCCESS) {
        RegIsolateRoots(privateKey, false);
        return static_cast<uint32_t>(status);
    }
    platform::win32::SetMachineRootRedirected(true);
    return ERROR_SUCCESS;
}

}  // namespace quen::test
