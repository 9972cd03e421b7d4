// What the install tests share: a validated work area, the module's events
// as the host sees them, and the module's registry record read back.
#pragma once

#include "ModuleFixture.h"
#include "fakes/RunHost.h"
#include "installer/RunSteps.h"

#include <quen/OsServices.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quen::test {

class InstallFixture : public ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        Configure();
        std::filesystem::create_directories(Host(m_source));
        quen::detail::RunSteps::Prepare(m_installer, L"");
    }

    // "status 2 <label>" per install announced, "failed <label> <code>" per
    // setup that failed, "outcome <label> <outcome> [<code>]" per module.
    std::vector<std::wstring> Statuses() const { return m_host.Events(L"status 2 "); }
    std::vector<std::wstring> Failures() const { return m_host.Events(L"failed "); }
    std::vector<std::wstring> Outcomes() const { return m_host.Outcomes(); }

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

    std::wstring ExtractRoot() const { return Folders(m_installer).ExtractDir(); }

    RunHost m_host{m_installer};
};

}  // namespace quen::test
