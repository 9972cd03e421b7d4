// The disc request: what its callbacks answer, on which thread they run, how
// it copes with callbacks that throw or change its list while it calls them,
// and the drive it opens first.
#include <quen/Installer.h>

#include "fakes/FakeMediaBurner.h"
#include "fakes/TestMachine.h"
#include "installer/RunSteps.h"

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using quen::test::FakeMediaBurner;
using quen::test::ScopedPlugin;
using ::testing::ElementsAre;

// Host callbacks are plain functions: they report here.
struct HostCalls {
    std::mutex mutex;
    std::vector<std::wstring> calls;
    std::vector<std::thread::id> threads;

    void Call(const std::wstring& what)
    {
        std::lock_guard lock(mutex);
        calls.push_back(what);
        threads.push_back(std::this_thread::get_id());
    }
};
HostCalls* g_host = nullptr;
CInstaller* g_installer = nullptr;

void AnswerYes(int index, bool* answer)
{
    g_host->Call(L"yes " + std::to_wstring(index));
    *answer = true;
}
void AnswerNo(int, bool* answer)
{
    g_host->Call(L"no");
    *answer = false;
}
void LeaveAnswer(int, bool* answer) { g_host->Call(*answer ? L"saw true" : L"saw false"); }
void ThrowAfterYes(int, bool* answer)
{
    g_host->Call(L"throws");
    *answer = true;
    throw ELibraryException(L"host failure", L".\\Host", 1);
}
void UnregistersItselfAndAnswerNo(int, bool*)
{
    g_host->Call(L"unregisters");
    g_installer->UnregisterRecoveryMediaRequiredEvent(UnregistersItselfAndAnswerNo);
    g_installer->UnregisterRecoveryMediaRequiredEvent(AnswerNo);
    g_installer->RegisterForRecoveryMediaRequiredEvent(AnswerYes);
}

class Events : public quen::test::TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        g_host = &m_host;
        g_installer = &m_installer;
    }
    void TearDown() override
    {
        g_host = nullptr;
        g_installer = nullptr;
        TestMachine::TearDown();
    }

    CInstallDB m_db{L"C:\\Image\\image.json", CDataTable(), CDataTable(), CDataTableList(), CDataTableList()};
    CInstaller m_installer{m_db};
    HostCalls m_host;

    bool Request(int index) { return quen::detail::RunSteps::RequestMedia(m_installer, index); }

    std::shared_ptr<FakeMediaBurner> m_burner = std::make_shared<FakeMediaBurner>();
    ScopedPlugin m_plugin{L"MediaBurner", m_burner};
};

TEST_F(Events, TheLastCallbackToWriteTheAnswerWinsEachCallbackRunsOnceAndNoneMeansNo)
{
    EXPECT_FALSE(Request(1));
    EXPECT_TRUE(m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerYes));
    EXPECT_FALSE(m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerYes));
    EXPECT_FALSE(m_installer.RegisterForRecoveryMediaRequiredEvent(nullptr));
    m_installer.UnregisterRecoveryMediaRequiredEvent(AnswerNo);
    m_installer.RegisterForRecoveryMediaRequiredEvent(LeaveAnswer);
    EXPECT_TRUE(Request(2));

    m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerNo);
    EXPECT_FALSE(Request(2));
    m_installer.UnregisterRecoveryMediaRequiredEvent(AnswerYes);
    m_installer.UnregisterRecoveryMediaRequiredEvent(LeaveAnswer);
    m_installer.UnregisterRecoveryMediaRequiredEvent(AnswerNo);
    EXPECT_FALSE(Request(0));
    EXPECT_THAT(m_host.calls, ElementsAre(L"yes 2", L"saw true", L"yes 2", L"saw true", L"no"));
}

TEST_F(Events, AThrowingDiscCallbackIsSkippedAndTheOthersStillRun)
{
    m_installer.RegisterForRecoveryMediaRequiredEvent(ThrowAfterYes);
    m_installer.RegisterForRecoveryMediaRequiredEvent(LeaveAnswer);
    EXPECT_TRUE(Request(0));
    EXPECT_THAT(m_host.calls, ElementsAre(L"throws", L"saw true"));
}

TEST_F(Events, ACallbackThatChangesTheListWhileCalledAffectsOnlyTheNextRequest)
{
    m_installer.RegisterForRecoveryMediaRequiredEvent(UnregistersItselfAndAnswerNo);
    m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerNo);
    // This request still calls both callbacks it started with.
    EXPECT_FALSE(Request(1));
    EXPECT_TRUE(Request(1));
    EXPECT_THAT(m_host.calls, ElementsAre(L"unregisters", L"no", L"yes 1"));
}

TEST_F(Events, TheSourceDriveIsOpenedBeforeTheHostIsAsked)
{
    const std::wstring source = L"e:\\Recovery";
    m_installer.SetPaths(&source, nullptr, nullptr, nullptr);
    static FakeMediaBurner* burner = nullptr;
    burner = m_burner.get();
    m_installer.RegisterForRecoveryMediaRequiredEvent([](int, bool*) { burner->Record(L"host asked"); });
    Request(0);
    EXPECT_THAT(m_burner->Calls(), ElementsAre(L"SelectDrive e:\\", L"MediaRequest", L"host asked"));

    // A share has no drive to open: the plug-in gets no drive selected.
    const std::wstring share = L"\\\\server\\recovery";
    m_installer.SetPaths(&share, nullptr, nullptr, nullptr);
    Request(0);
    EXPECT_EQ(m_burner->Calls()[3], L"SelectDrive ");
}

TEST_F(Events, WithoutAUsableMediaBurnerTheHostIsStillAsked)
{
    struct NotABurner : IOSDependentPlugin {};
    m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerYes);
    {
        ScopedPlugin none(L"MediaBurner", nullptr);
        EXPECT_TRUE(Request(3));
    }
    {
        ScopedPlugin wrongKind(L"mediaburner", std::make_shared<NotABurner>());
        EXPECT_TRUE(Request(4));
    }
    EXPECT_THAT(m_host.calls, ElementsAre(L"yes 3", L"yes 4"));
    EXPECT_TRUE(m_burner->Calls().empty());
}

TEST_F(Events, CallbacksRunOnTheFiringThreadAndRegistrationWaitsForARequestToEnd)
{
    static std::atomic<bool> registered{false};
    static std::atomic<bool> registeredDuringRequest{false};
    static std::thread other;
    registered = false;
    registeredDuringRequest = false;
    m_installer.RegisterForRecoveryMediaRequiredEvent([](int, bool* answer) {
        g_host->Call(L"request");
        // Another thread registers while the request holds the list.
        other = std::thread([] {
            g_installer->RegisterForRecoveryMediaRequiredEvent(AnswerNo);
            registered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        registeredDuringRequest = registered.load();
        *answer = true;
    });

    bool answer = false;
    std::thread::id firing;
    std::thread installerThread([&] {
        firing = std::this_thread::get_id();
        answer = Request(0);
    });
    installerThread.join();
    other.join();

    EXPECT_TRUE(answer);
    EXPECT_FALSE(registeredDuringRequest);
    EXPECT_THAT(m_host.threads, ElementsAre(firing));
    EXPECT_NE(firing, std::this_thread::get_id());
}

}  // namespace
