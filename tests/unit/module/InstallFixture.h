// What the install tests share: a validated work area, the module's events
// as the host sees them, and the module's registry record read back.
#pragma once

#include "ModuleFixture.h"

#include <quen/OsServices.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quen::test {

class InstallFixture : public ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        Configure();
        std::filesystem::create_directories(Host(m_source));
        CInstallerTestPeer::Validate(m_installer);
        Statuses().clear();
        Failures().clear();
        Outcomes().clear();
        m_installer.RegisterForInstallStatusEvent(OnStatus);
        m_installer.RegisterForSetupFailedEvent(OnSetupFailed);
        m_installer.RegisterForModuleOutcomeEvent(OnOutcome);
    }

    // The labels of the install-status events, and (label, code) of the
    // setup-failed events, in firing order.
    static std::vector<std::wstring>& Statuses()
    {
        static std::vector<std::wstring> labels;
        return labels;
    }
    static std::vector<std::pair<std::wstring, int32_t>>& Failures()
    {
        static std::vector<std::pair<std::wstring, int32_t>> failures;
        return failures;
    }
    // The outcome of each module installed, in order.
    static std::vector<CInstaller::EModuleOutcome>& Outcomes()
    {
        static std::vector<CInstaller::EModuleOutcome> outcomes;
        return outcomes;
    }

    void Install(const CDataTable& record)
    {
        CModuleInstaller module(&record, &m_installer);
        module.PerformInstall();
    }

    // A value of the module's record under "Installed Software\Modules\";
    // empty when there is none.
    static std::wstring RecordValue(const std::wstring& labelAndPart, const std::wstring& value)
    {
        std::wstring text;
        CRegistry::GetString(ERegistryRoot::LocalMachine,
                             L"SOFTWARE\\Quen Corporation\\Installed Software\\Modules\\" + labelAndPart, value, text);
        return text;
    }

    std::wstring ExtractRoot() const { return CInstallerTestPeer::ExtractDir(m_installer); }

private:
    static void OnStatus(void* data)
    {
        const auto* status = static_cast<const InstallStatusEventData*>(data);
        if (status->action == CInstaller::eActionInstalling)
            Statuses().push_back(status->text);
    }
    static void OnSetupFailed(void* data)
    {
        const auto* failure = static_cast<const SetupFailedEventData*>(data);
        Failures().emplace_back(failure->text, failure->returnCode);
    }
    static void OnOutcome(void* data)
    {
        Outcomes().push_back(static_cast<const ModuleOutcomeEventData*>(data)->outcome);
    }
};

}  // namespace quen::test
