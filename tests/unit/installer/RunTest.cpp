// A run from Install to the end of its thread, on a recovery folder: its
// events, cancelling, failures, one run at a time, and an installer that its
// host destroys during the run.
#include "../module/ModuleFixture.h"
#include "fakes/RunHost.h"
#include "foundation/WideString.h"

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using quen::test::RunHost;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class Run : public quen::test::ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        Configure();
        fs::create_directories(Host(m_source));
    }

    // A file-copy module of one file, copied to <scratch>\Target\<label>.
    CDataTable CopyModule(const std::wstring& label)
    {
        WriteFile(m_source + L"\\Modules\\" + label + L"\\" + label + L".txt", "content");
        CDataTable record = Record(label, L"Modules\\" + label);
        record.SetField(IdfFields::SetupFile, Dir() + L"Target\\" + label);
        return record;
    }

    // Another installer of the same database and source.
    std::unique_ptr<CInstaller> Other()
    {
        auto installer = std::make_unique<CInstaller>(m_db);
        installer->SetFlags(true, false);
        installer->SetPaths(&m_source, &m_source, nullptr, nullptr);
        return installer;
    }

    bool Install(CInstaller& installer, const CDataTableList& modules = CDataTableList()) const
    {
        return installer.Install(&m_media, CDataTableList(), modules);
    }
    void RunToEnd(CInstaller& installer, const CDataTableList& modules = CDataTableList())
    {
        ASSERT_TRUE(Install(installer, modules));
        installer.Wait();
    }

    bool WorkAreaExists() const { return fs::exists(Host(WorkRoot())); }

    const std::wstring m_media = L"QRD";
};

TEST_F(Run, InstallBeforeConfigurationThrowsFlagsFirstAndFiresNothing)
{
    CInstaller installer(m_db);
    RunHost host(installer);
    for (const wchar_t* missing : {L"SetFlags", L"SetPaths"}) {
        try {
            Install(installer);
            FAIL() << "installed without " << quen::ToUtf8(missing);
        } catch (const ELibraryException& e) {
            EXPECT_THAT(e.Message(), HasSubstr(missing));
        }
        installer.SetFlags(true, false);
    }
    EXPECT_THAT(host.Events(), ElementsAre());
    EXPECT_FALSE(installer.IsRunning());
}

TEST_F(Run, AnEmptyRunCompletesDespiteAnEarlierCancelAndASecondInstallMeanwhileIsRefusedHereAndOnAnother)
{
    RunHost host(m_installer);
    m_installer.Cancel();
    std::promise<void> reached;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    host.onEvent = [&](const std::wstring& line) {
        if (line == L"status 1 ") {
            reached.set_value();
            released.wait();
        }
    };
    ASSERT_TRUE(Install(m_installer));
    reached.get_future().wait();

    EXPECT_THROW(Install(m_installer), ELibraryException);
    try {
        Install(*Other());
        FAIL() << "a second installation shared the work area";
    } catch (const ELibraryException& e) {
        EXPECT_THAT(e.Message(), HasSubstr(L"Another installation is using the work area"));
    }
    EXPECT_TRUE(m_installer.IsRunning());

    release.set_value();
    m_installer.Wait();
    EXPECT_THAT(host.Events(), ElementsAre(L"progress 1", L"status 0 ", L"progress 2", L"status 1 ", L"progress 100",
                                           L"finished 0 "));
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(Run, ACancelDuringAModuleFromTheHostsThreadOrByDestroyingTheInstallerLetsItFinishAndSkipsTheRest)
{
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "cancelled");
        std::unique_ptr<CInstaller> installer = Other();
        RunHost host(*installer);
        std::promise<void> reached;
        // The module goes on once the run is cancelled; a destructor cancels
        // first, then waits for the run's end.
        host.onEvent = [&reached, raw = installer.get()](const std::wstring& line) {
            if (line != L"status 2 First")
                return;
            reached.set_value();
            while (!raw->Cancelled())
                std::this_thread::yield();
        };
        CDataTableList modules;
        modules.Add(CopyModule(L"First"));
        modules.Add(CopyModule(L"Second"));
        ASSERT_TRUE(Install(*installer, modules));
        reached.get_future().wait();
        if (destroy) {
            installer.reset();
        } else {
            EXPECT_TRUE(installer->Cancel());
            installer->Wait();
        }

        EXPECT_EQ(ReadFile(Dir() + L"Target\\First\\First.txt"), "content");
        EXPECT_FALSE(fs::exists(Host(Dir() + L"Target\\Second")));
        const std::vector<std::wstring> events = host.Events();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events[events.size() - 2], L"progress 100");
        EXPECT_EQ(events.back(), L"finished 2 ");
        EXPECT_FALSE(WorkAreaExists());
        fs::remove_all(Host(Dir() + L"Target"));
    }
}

TEST_F(Run, AFailureEndsTheRunAsFailedOnceReportsTheModuleAndLeavesNoWorkArea)
{
    CDataTable invalid = CopyModule(L"Invalid");
    invalid.SetField(IdfFields::PartID_Rel, L"");
    // The module before "Later", if any; the event the host throws on; the end.
    const std::tuple<std::optional<CDataTable>, const wchar_t*, const wchar_t*, std::vector<std::wstring>> rows[] = {
        {Record(L"Missing", L"Modules\\Missing"), L"", L"finished 1 Source directory doesn't exist.", {}},
        {invalid, L"", L"finished 1 This is an invalid module.", {L"outcome Invalid 7"}},
        {std::nullopt, L"progress 2", L"finished 1 host gave up", {}},
    };
    for (const auto& [first, throwOn, finished, outcomes] : rows) {
        SCOPED_TRACE(quen::ToUtf8(finished));
        RunHost host(m_installer);
        host.onEvent = [throwOn = std::wstring(throwOn)](const std::wstring& line) {
            if (line == throwOn)
                throw std::runtime_error("host gave up");
        };
        CDataTableList modules;
        if (first)
            modules.Add(*first);
        modules.Add(CopyModule(L"Later"));
        RunToEnd(m_installer, modules);

        EXPECT_THAT(host.Events(L"finished"), ElementsAre(finished));
        EXPECT_EQ(host.Outcomes(), outcomes);
        EXPECT_FALSE(fs::exists(Host(Dir() + L"Target\\Later")));
        EXPECT_FALSE(WorkAreaExists());
    }
}

TEST_F(Run, AnInstallerItsHostDestroysFromACallbackEndsTheRunWhichTheNextInstallOrWaitForAbandonedRunsWaitsFor)
{
    // At the end, inside a module's install, and before the copy.
    const std::pair<const wchar_t*, bool> rows[] = {
        {L"finished 0 ", true}, {L"finished 0 ", false}, {L"status 2 Tool", false}, {L"progress 2", true}};
    for (const auto& [destroyOn, byNextInstall] : rows) {
        SCOPED_TRACE(testing::Message() << quen::ToUtf8(destroyOn) << (byNextInstall ? " next install" : ""));
        CInstaller* installer = Other().release();
        RunHost host(*installer);
        std::promise<void> destroyed;
        std::wstring fromInside;
        host.onEvent = [&, destroyOn = destroyOn](const std::wstring& line) {
            if (line != destroyOn)
                return;
            delete installer;
            // Waiting here for the run would wait for itself.
            try {
                Install(*Other());
            } catch (const ELibraryException& e) {
                fromInside = e.Message();
            }
            destroyed.set_value();
            // The run's clean-up comes after this callback: long enough for
            // a host that does not wait to find the work area still in use.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        };
        CDataTableList modules;
        modules.Add(CopyModule(L"Tool"));
        ASSERT_TRUE(Install(*installer, modules));
        destroyed.get_future().wait();

        if (byNextInstall) {
            const std::unique_ptr<CInstaller> next = Other();
            EXPECT_TRUE(Install(*next));
            next->Wait();
        } else {
            CInstaller::WaitForAbandonedRuns();
            EXPECT_FALSE(WorkAreaExists());
        }
        EXPECT_THAT(fromInside, HasSubstr(L"callback"));
        EXPECT_EQ(host.Events().back(), destroyOn);
        CInstaller::WaitForAbandonedRuns();
    }
}

}  // namespace
