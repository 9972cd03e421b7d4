// CModuleInstaller: installing one module, from its record to its registry
// record and version check.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>
#include <quen/VerifyVersion.h>

#include "foundation/WideString.h"
#include "module/InstallRules.h"
#include "platform/Text.h"

namespace {

using quen::platform::EqualsNoCase;

constexpr wchar_t kInBoxKey[] = L"SOFTWARE\\Quen Corporation\\HDDRecovery";

}  // namespace

void CModuleInstaller::PerformInstall()
{
    m_outcome = ModuleOutcomeEventData();
    m_outcome.label = (*Module())[IdfFields::CustomerLabel];
    try {
        Install();
    } catch (const EBaseException&) {
        SetOutcome(CInstaller::eModuleFailed);
        ReportOutcome();
        throw;
    } catch (const std::exception&) {
        SetOutcome(CInstaller::eModuleFailed);
        ReportOutcome();
        throw;
    }
    ReportOutcome();
}

void CModuleInstaller::SetOutcome(CInstaller::EModuleOutcome outcome, int32_t code)
{
    m_outcome.outcome = outcome;
    m_outcome.code = code;
}

void CModuleInstaller::ReportOutcome()
{
    // A module that no disc held installed from nothing: that is the cause
    // of whatever followed.
    if (m_notStaged && m_outcome.outcome != CInstaller::eModuleSkippedData)
        SetOutcome(CInstaller::eModuleNotStaged);
    Installer()->ReportModuleOutcome(m_outcome);
}

void CModuleInstaller::Install()
{
    if (!IsValidModule())
        throw ELibraryException(L"This is an invalid module.", L".\\ModuleInstaller", __LINE__);

    const std::wstring imageState = GetImageState();
    quen::Log(eLogInfo) << L" CurrentVersion\\Setup\\State: " << imageState;
    quen::Log(eLogInfo) << L"     Temporary: " << IsTemporary();
    quen::Log(eLogInfo) << L" InstallerType: " << InstallerType();
    quen::Log(eLogInfo) << L"          OOBE: " << IsOOBE();

    const std::wstring label = (*Module())[IdfFields::CustomerLabel];
    if (!ValidInstallType()) {
        SetOutcome(CInstaller::eModuleSkippedData);
        return;
    }

    Installer()->ReportInstalling(label);

    switch (quen::InstallMethodOf(*Module())) {
    case quen::EInstallMethod::AppOrDriver:
    case quen::EInstallMethod::InfDriver:
        InstallAppOrDriver();
        break;
    case quen::EInstallMethod::ExeOrBatch:
        InstallExeOrBatch();
        break;
    case quen::EInstallMethod::FileCopy:
        InstallFileCopy();
        break;
    case quen::EInstallMethod::Skip:
    case quen::EInstallMethod::None:
        SetOutcome(CInstaller::eModuleNotInstalled);
        break;
    }

    WriteRegisteryKeys(L"Modules\\", nullptr);

    if (EqualsNoCase(InstallerType(), L"FILE COPY")) {
        const std::wstring versionPath = ExpandVersionPath((*Module())[IniFields::VersionPath], Installer()->DestDir());
        const std::wstring expected = (*Module())[IniFields::VerCheckAfter];
        std::wstring found;
        const int32_t result = VerifyVersion(versionPath.c_str(), expected.c_str(), found);
        if (result != 0)
            quen::Log(eLogError) << L"Verify Version returned " << result;
        // A record that names no version, or no place to find it, asks for
        // no check: that is no failure of the module. Nor is a version
        // missing where nothing was installed news of its own.
        if (result != 0 && result != eNoVersionPath && result != eNoExpectedVersion &&
            m_outcome.outcome != CInstaller::eModuleNotInstalled)
            SetOutcome(CInstaller::eModuleVersionCheckFailed, result);
    }

    // A temporary module that installs after first-boot setup: where setup
    // has not completed yet, a marker tells it the module is in the box.
    if (IsOOBE() && IsTemporary()) {
        Installer()->ReportInstalling(label);
        if (!EqualsNoCase(imageState, L"IMAGE_STATE_COMPLETE"))
            CRegistry::SetString(ERegistryRoot::LocalMachine, kInBoxKey, quen::Format(L"InBoxCD%d", 1), label);
    }
}
