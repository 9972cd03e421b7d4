// The installer's events: what their callbacks receive, on which thread, and how the disc request event copes with callbacks that
// throw or change its list while it calls them.
#include <quen/Installer.h>

#include "fakes/FakeMediaBurner.h"
#include "fakes/InstallerTestPeer.h"
#include "fakes/TestMachine.h"

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Peer = CInstallerTestPeer;
using quen::test::FakeMediaBurner;
using quen::test::ScopedPlugin;
using ::testing::ElementsAre;

// Host callbacks are plain functions: they report here.
struct HostCalls {
    std::mutex mutex;
    std::vector<std::wstring> calls;
    std::vector<std::thread::id> threads;
    std::vector<double> progress;
    std::vector<InstallFinishedEventData> finished;

    void Call(const std::wstring& what)
    {
        std::lock_guard lock(mutex);
        calls.push_back(what);
        threads.push_back(std::this_thread::get_id());
    }
};
HostCalls* g_host = nullptr;
CInstaller* g_installer = nullptr;

void OnProgress(void* p)
{
    g_host->Call(L"progress");
    g_host->progress.push_back(*static_cast<double*>(p));
}
void OnFinished(void* p) { g_host->finished.push_back(*static_cast<InstallFinishedEventData*>(p)); }

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
    std::shared_ptr<FakeMediaBurner> m_burner = std::make_shared<FakeMediaBurner>();
    ScopedPlugin m_plugin{L"MediaBurner", m_burner};
};

TEST_F(Events, TheLastCallbackToWriteTheAnswerWinsEachCallbackRunsOnceAndNoneMeansNo)
{
    EXPECT_FALSE(Peer::FireMediaRequired(m_installer, 1));
    EXPECT_TRUE(m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerYes));
    EXPECT_FALSE(m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerYes));
    EXPECT_FALSE(m_installer.RegisterForRecoveryMediaRequiredEvent(nullptr));
    m_installer.UnregisterRecoveryMediaRequiredEvent(AnswerNo);
    m_installer.RegisterForRecoveryMediaRequiredEvent(LeaveAnswer);
    EXPECT_TRUE(Peer::FireMediaRequired(m_installer, 2));

    m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerNo);
    EXPECT_FALSE(Peer::FireMediaRequired(m_installer, 2));
    m_installer.UnregisterRecoveryMediaRequiredEvent(AnswerYes);
    m_installer.UnregisterRecoveryMediaRequiredEvent(LeaveAnswer);
    m_installer.UnregisterRecoveryMediaRequiredEvent(AnswerNo);
    EXPECT_FALSE(Peer::FireMediaRequired(m_installer, 0));
    EXPECT_THAT(m_host.calls, ElementsAre(L"yes 2", L"saw true", L"yes 2", L"saw true", L"no"));
}

TEST_F(Events, AThrowingDiscCallbackIsSkippedAndTheOthersStillRun)
{
    m_installer.RegisterForRecoveryMediaRequiredEvent(ThrowAfterYes);
    m_installer.RegisterForRecoveryMediaRequiredEvent(LeaveAnswer);
    EXPECT_TRUE(Peer::FireMediaRequired(m_installer, 0));
    EXPECT_THAT(m_host.calls, ElementsAre(L"throws", L"saw true"));
}

TEST_F(Events, ACallbackThatChangesTheListWhileCalledAffectsOnlyTheNextRequest)
{
    m_installer.RegisterForRecoveryMediaRequiredEvent(UnregistersItselfAndAnswerNo);
    m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerNo);
    // This request still calls both callbacks it started with.
    EXPECT_FALSE(Peer::FireMediaRequired(m_installer, 1));
    EXPECT_TRUE(Peer::FireMediaRequired(m_installer, 1));
    EXPECT_THAT(m_host.calls, ElementsAre(L"unregisters", L"no", L"yes 1"));
}

TEST_F(Events, TheSourceDriveIsOpenedBeforeTheHostIsAsked)
{
    const std::wstring source = L"e:\\Recovery";
    m_installer.SetPaths(&source, nullptr, nullptr, nullptr);
    static FakeMediaBurner* burner = nullptr;
    burner = m_burner.get();
    m_installer.RegisterForRecoveryMediaRequiredEvent([](int, bool*) { burner->Record(L"host asked"); });
    Peer::FireMediaRequired(m_installer, 0);
    EXPECT_THAT(m_burner->Calls(), ElementsAre(L"SelectDrive e:\\", L"MediaRequest", L"host asked"));

    // A share has no drive to open: the plug-in gets no drive selected.
    const std::wstring share = L"\\\\server\\recovery";
    m_installer.SetPaths(&share, nullptr, nullptr, nullptr);
    Peer::FireMediaRequired(m_installer, 0);
    EXPECT_EQ(m_burner->Calls()[3], L"SelectDrive ");
}

TEST_F(Events, WithoutAUsableMediaBurnerTheHostIsStillAsked)
{
    struct NotABurner : IOSDependentPlugin {};
    m_installer.RegisterForRecoveryMediaRequiredEvent(AnswerYes);
    {
        ScopedPlugin none(L"MediaBurner", nullptr);
        EXPECT_TRUE(Peer::FireMediaRequired(m_installer, 3));
    }
    {
        ScopedPlugin wrongKind(L"mediaburner", std::make_shared<NotABurner>());
        EXPECT_TRUE(Peer::FireMediaRequired(m_installer, 4));
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
    m_installer.RegisterForProgressEvent(OnProgress);
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
        Peer::SetProgress(m_installer, 42.0, 1.0);
        Peer::FireProgress(m_installer);
        answer = Peer::FireMediaRequired(m_installer, 0);
    });
    installerThread.join();
    other.join();

    EXPECT_TRUE(answer);
    EXPECT_FALSE(registeredDuringRequest);
    EXPECT_THAT(m_host.progress, ElementsAre(42.0));
    ASSERT_EQ(m_host.threads.size(), 2u);
    EXPECT_EQ(m_host.threads[0], firing);
    EXPECT_EQ(m_host.threads[1], firing);
    EXPECT_NE(firing, std::this_thread::get_id());
}

TEST_F(Events, InstallFinishedCarriesAFileExceptionAsABaseExceptionWithItsWholeText)
{
    m_installer.RegisterForInstallFinishedEvent(OnFinished);
    EFileException failure(L"FI app file not found.", L".\\Installer", 77, EFileException::NotFound,
                           L"D:\\FI\\image.app");
    failure.SetErrorCode(2);
    Peer::FireInstallFinished(m_installer, CInstaller::eStatusFailed, &failure);

    ASSERT_EQ(m_host.finished.size(), 1u);
    const EBaseException& carried = m_host.finished[0].exception;
    EXPECT_EQ(carried.Message(), L"FI app file not found.");
    EXPECT_EQ(carried.Line(), 77);
    EXPECT_EQ(carried.ErrorCode(), 2u);
    EXPECT_EQ(carried.GetText(), failure.GetText());
    EXPECT_THAT(carried.GetText(), ::testing::HasSubstr(L"doesn't exist in directory D:\\FI\\image.app."));
}

}  // namespace
