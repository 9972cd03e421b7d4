// CModuleInstaller: the module's record in the registry, and the state of
// the Windows image.
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>
#include <quen/OsServices.h>

#include "foundation/WideString.h"

namespace {

constexpr wchar_t kImageStateKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";
constexpr wchar_t kImageStateValue[] = L"ImageState";

}  // namespace

void CModuleInstaller::WriteRegisteryKeys(const std::wstring& prefix, const std::wstring* installMode)
{
    const std::wstring mode = installMode ? *installMode : std::wstring(L"Recovery");
    const std::wstring subKey = quen::Format(L"SOFTWARE\\Quen Corporation\\Installed Software\\%s%s %s", prefix,
                                             (*Module())[IdfFields::CustomerLabel], (*Module())[IdfFields::PartID_Rel]);
    quen::Log(eLogInfo) << L"WriteRegistryKeys subKey: " << subKey;

    const auto write = [&](const wchar_t* value, const std::wstring& text) {
        CRegistry::SetString(ERegistryRoot::LocalMachine, subKey, value, text);
    };
    write(L"VersionCheckAfterInstallation", (*Module())[IniFields::VerCheckAfter]);
    write(L"VersionPath", (*Module())[IniFields::VersionPath]);
    write(L"DetailedVersion", (*Module())[IdfFields::DetailedVersion]);
    write(L"InstallMode", mode);
}

void CModuleInstaller::LogInstallInRegistry()
{
    quen::Log(eLogWarning) << L"CModuleInstaller::LogInstallInRegistry() called, but not implemented!";
}

std::wstring CModuleInstaller::GetImageState()
{
    std::wstring state;
    CRegistry::GetString(ERegistryRoot::LocalMachine, kImageStateKey, kImageStateValue, state);
    return state;
}

void CModuleInstaller::SetImageState(const std::wstring& state)
{
    CRegistry::SetString(ERegistryRoot::LocalMachine, kImageStateKey, kImageStateValue, state);
}
