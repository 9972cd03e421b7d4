// A run from Install to the end of its thread, on a recovery folder: the
// events in order, cancelling, failures that end the run, the work area
// removed or kept, one run at a time, and an installer destroyed by its own
// host during the run.
#include "../module/ModuleFixture.h"
#include "fakes/RunHost.h"
#include "foundation/WideString.h"

#include <quen/OsServices.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <thread>

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

    // A file-copy module whose release folder holds one file, copied to a
    // folder of its own below the scratch folder.
    CDataTable CopyModule(const std::wstring& label)
    {
        WriteFile(m_source + L"\\Modules\\" + label + L"\\" + label + L".txt", "content");
        CDataTable record = Record(label, L"Modules\\" + label);
        record.SetField(IdfFields::SetupFile, Dir() + L"Target\\" + label);
        return record;
    }

    // Runs to the end of the thread.
    void RunToEnd(CInstaller& installer, const CDataTableList& modules,
                  const CDataTableList& applications = CDataTableList())
    {
        const std::wstring media = L"QRD";
        ASSERT_TRUE(installer.Install(&media, applications, modules));
        installer.Wait();
    }

    bool WorkAreaExists() const { return fs::exists(Host(WorkRoot())); }

    static void KeepWorkArea(const std::wstring& value)
    {
        CRegistry::SetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Quen\\Ruvo Care", L"NoCleanup", value);
    }
};

TEST_F(Run, InstallBeforeConfigurationThrowsFlagsFirstAndFiresNothing)
{
    CInstaller installer(m_db);
    RunHost host(installer);
    const std::wstring media = L"QRD";
    for (const wchar_t* missing : {L"SetFlags", L"SetPaths"}) {
        try {
            installer.Install(&media, CDataTableList(), CDataTableList());
            FAIL() << "installed without " << quen::ToUtf8(missing);
        } catch (const ELibraryException& e) {
            EXPECT_THAT(e.Message(), HasSubstr(missing));
        }
        installer.SetFlags(true, false);
    }
    EXPECT_THAT(host.Events(), ElementsAre());
    EXPECT_FALSE(installer.IsRunning());
}

TEST_F(Run, AnEmptyRunShowsOneTwoAndAHundredPercentAndCompletesDespiteAnEarlierCancel)
{
    RunHost host(m_installer);
    m_installer.Cancel();
    RunToEnd(m_installer, CDataTableList());
    EXPECT_THAT(host.Events(), ElementsAre(L"progress 1", L"status 0 ", L"progress 2", L"status 1 ", L"progress 100",
                                           L"finished 0 "));
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(Run, NoCleanupOfOneKeepsTheWorkAreaAndASecondRunWithAnyOtherValueRemovesIt)
{
    RunHost host(m_installer);
    CDataTableList modules;
    modules.Add(CopyModule(L"Tool"));
    KeepWorkArea(L"1");
    EXPECT_FALSE(CInstaller::DoCleanup());
    RunToEnd(m_installer, modules);
    EXPECT_TRUE(fs::exists(Host(WorkRoot() + L"Installs\\Modules\\Tool\\Tool.txt")));

    KeepWorkArea(L"true");
    EXPECT_TRUE(CInstaller::DoCleanup());
    RunToEnd(m_installer, modules);
    EXPECT_FALSE(WorkAreaExists());
    EXPECT_EQ(host.Events(L"finished").size(), 2u);
}

TEST_F(Run, ASecondInstallDuringARunIsRefusedOnTheSameInstallerAndOnAnother)
{
    RunHost host(m_installer);
    std::promise<void> reached;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    host.onEvent = [&](const std::wstring& line) {
        if (line == L"status 1 ") {
            reached.set_value();
            released.wait();
        }
    };
    const std::wstring media = L"QRD";
    ASSERT_TRUE(m_installer.Install(&media, CDataTableList(), CDataTableList()));
    reached.get_future().wait();

    EXPECT_THROW(m_installer.Install(&media, CDataTableList(), CDataTableList()), ELibraryException);
    CInstaller other(m_db);
    other.SetFlags(true, false);
    other.SetPaths(&m_source, &m_source, nullptr, nullptr);
    try {
        other.Install(&media, CDataTableList(), CDataTableList());
        FAIL() << "a second installation shared the work area";
    } catch (const ELibraryException& e) {
        EXPECT_THAT(e.Message(), HasSubstr(L"Another installation is using the work area"));
    }
    EXPECT_TRUE(m_installer.IsRunning());

    release.set_value();
    m_installer.Wait();
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));
    EXPECT_FALSE(m_installer.IsRunning());
}

TEST_F(Run, CancelFromTheHostsThreadDuringAModuleLetsItFinishAndSkipsTheRest)
{
    RunHost host(m_installer);
    std::promise<void> reached;
    std::promise<void> cancelled;
    std::shared_future<void> resume = cancelled.get_future().share();
    host.onEvent = [&](const std::wstring& line) {
        if (line == L"status 2 First") {
            reached.set_value();
            resume.wait();
        }
    };
    CDataTableList modules;
    modules.Add(CopyModule(L"First"));
    modules.Add(CopyModule(L"Second"));
    const std::wstring media = L"QRD";
    ASSERT_TRUE(m_installer.Install(&media, CDataTableList(), modules));
    reached.get_future().wait();
    EXPECT_TRUE(m_installer.Cancel());
    cancelled.set_value();
    m_installer.Wait();

    EXPECT_EQ(ReadFile(Dir() + L"Target\\First\\First.txt"), "content");
    EXPECT_FALSE(fs::exists(Host(Dir() + L"Target\\Second")));
    const std::vector<std::wstring> events = host.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], L"progress 100");
    EXPECT_EQ(events.back(), L"finished 2 ");
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(Run, DestroyingTheInstallerDuringARunCancelsItAndWaitsForItsEnd)
{
    auto* installer = new CInstaller(m_db);
    installer->SetFlags(true, false);
    installer->SetPaths(&m_source, &m_source, nullptr, nullptr);
    RunHost host(*installer);
    std::promise<void> reached;
    host.onEvent = [&](const std::wstring& line) {
        if (line != L"status 2 First")
            return;
        reached.set_value();
        // The host's thread is in the destructor meanwhile, which cancels first.
        while (!installer->Cancelled())
            std::this_thread::yield();
    };
    CDataTableList modules;
    modules.Add(CopyModule(L"First"));
    modules.Add(CopyModule(L"Second"));
    const std::wstring media = L"QRD";
    ASSERT_TRUE(installer->Install(&media, CDataTableList(), modules));
    reached.get_future().wait();
    delete installer;

    EXPECT_FALSE(fs::exists(Host(Dir() + L"Target\\Second")));
    EXPECT_EQ(host.Events().back(), L"finished 2 ");
}

TEST_F(Run, AFailureEndsTheRunAsFailedOnceAndLeavesNoWorkArea)
{
    RunHost host(m_installer);
    CDataTableList modules;
    modules.Add(Record(L"Missing", L"Modules\\Missing"));
    modules.Add(CopyModule(L"Later"));
    RunToEnd(m_installer, modules);

    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 1 Source directory doesn't exist."));
    EXPECT_FALSE(fs::exists(Host(Dir() + L"Target\\Later")));
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(Run, AModuleWhoseInstallThrowsIsReportedFailedBeforeTheRunEnds)
{
    RunHost host(m_installer);
    CDataTableList modules;
    CDataTable invalid = CopyModule(L"Invalid");
    invalid.SetField(IdfFields::PartID_Rel, L"");
    modules.Add(invalid);
    modules.Add(CopyModule(L"Later"));
    RunToEnd(m_installer, modules);

    EXPECT_THAT(host.Outcomes(), ElementsAre(L"outcome Invalid 7"));
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 1 This is an invalid module."));
}

TEST_F(Run, AStandardExceptionFromAHostCallbackEndsTheRunAsFailedWithItsText)
{
    RunHost host(m_installer);
    host.onEvent = [](const std::wstring& line) {
        if (line == L"progress 2")
            throw std::runtime_error("host gave up");
    };
    RunToEnd(m_installer, CDataTableList());
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 1 host gave up"));
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(Run, AnInstallerDestroyedByItsHostDuringTheRunEndsTheRunWithoutIt)
{
    // At the end, inside a module's install, and before the copy.
    for (const std::wstring destroyOn : {L"finished 0 ", L"status 2 Tool", L"progress 2"}) {
        auto* installer = new CInstaller(m_db);
        installer->SetFlags(true, false);
        installer->SetPaths(&m_source, &m_source, nullptr, nullptr);
        RunHost host(*installer);
        std::promise<void> destroyed;
        host.onEvent = [&](const std::wstring& line) {
            if (line != destroyOn)
                return;
            delete installer;
            destroyed.set_value();
        };
        CDataTableList modules;
        modules.Add(CopyModule(L"Tool"));
        const std::wstring media = L"QRD";
        ASSERT_TRUE(installer->Install(&media, CDataTableList(), modules));
        destroyed.get_future().wait();
        CInstaller::WaitForAbandonedRuns();
        EXPECT_FALSE(WorkAreaExists()) << destroyOn;
        EXPECT_EQ(host.Events().back(), destroyOn);
    }
}

TEST_F(Run, ARunWhoseInstallerItsCallbackDestroyedIsWaitedForByANewInstallAndByWaitForAbandonedRuns)
{
    for (const bool byNewInstall : {true, false}) {
        auto* installer = new CInstaller(m_db);
        installer->SetFlags(true, false);
        installer->SetPaths(&m_source, &m_source, nullptr, nullptr);
        RunHost host(*installer);
        const std::wstring media = L"QRD";
        std::promise<void> destroyed;
        std::wstring fromInside;
        host.onEvent = [&](const std::wstring& line) {
            if (line != L"finished 0 ")
                return;
            delete installer;
            // Waiting here for the run would wait for itself.
            CInstaller inner(m_db);
            inner.SetFlags(true, false);
            inner.SetPaths(&m_source, &m_source, nullptr, nullptr);
            try {
                inner.Install(&media, CDataTableList(), CDataTableList());
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
        ASSERT_TRUE(installer->Install(&media, CDataTableList(), modules));
        destroyed.get_future().wait();

        if (byNewInstall) {
            CInstaller next(m_db);
            next.SetFlags(true, false);
            next.SetPaths(&m_source, &m_source, nullptr, nullptr);
            EXPECT_TRUE(next.Install(&media, CDataTableList(), CDataTableList()));
            next.Wait();
        } else {
            CInstaller::WaitForAbandonedRuns();
            EXPECT_FALSE(WorkAreaExists());
        }
        EXPECT_THAT(fromInside, HasSubstr(L"callback")) << byNewInstall;
        CInstaller::WaitForAbandonedRuns();
    }
}

}  // namespace
