// The disc request: what its callbacks answer, on which thread they run, how
// it copes with a callback that throws, and the drive it opens first.
#include <quen/Installer.h>

#include "fakes/FakeMediaBurner.h"
#include "fakes/TestMachine.h"
#include "installer/RunSteps.h"

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using quen::test::FakeMediaBurner;
using quen::test::ScopedPlugin;
using ::testing::ElementsAre;

// Host callbacks are plain functions: they report here.
std::vector<std::wstring>* g_calls = nullptr;
CInstaller* g_installer = nullptr;

void AnswerYes(int index, bool* answer)
{
    g_calls->push_back(L"yes " + std::to_wstring(index));
    *answer = true;
}
void AnswerNo(int, bool* answer)
{
    g_calls->push_back(L"no");
    *answer = false;
}
void LeaveAnswer(int, bool* answer) { g_calls->push_back(*answer ? L"saw true" : L"saw false"); }
void ThrowAfterYes(int, bool* answer)
{
    g_calls->push_back(L"throws");
    *answer = true;
    throw ELibraryException(L"host failure", L".\\Host", 1);
}

class Events : public quen::test::TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        g_calls = &m_calls;
        g_installer = &m_installer;
    }

    CInstallDB m_db{L"C:\\Image\\image.json", CDataTable(), CDataTable(), CDataTableList(), CDataTableList()};
    CInstaller m_installer{m_db};
    std::vector<std::wstring> m_calls;

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

    // A callback that throws is skipped; the others still run.
    m_installer.RegisterForRecoveryMediaRequiredEvent(ThrowAfterYes);
    m_installer.RegisterForRecoveryMediaRequiredEvent(LeaveAnswer);
    EXPECT_TRUE(Request(0));
    EXPECT_THAT(m_calls,
                ElementsAre(L"yes 2", L"saw true", L"yes 2", L"saw true", L"no", L"throws", L"saw true"));
}

TEST_F(Events, TheSourceDriveIsOpenedBeforeTheHostIsAskedWhoIsAskedWithoutAUsableMediaBurnerToo)
{
    static FakeMediaBurner* burner = nullptr;
    burner = m_burner.get();
    m_installer.RegisterForRecoveryMediaRequiredEvent([](int, bool*) { burner->Record(L"host asked"); });
    const std::wstring source = L"e:\\Recovery";
    m_installer.SetPaths(&source, nullptr, nullptr, nullptr);
    Request(0);
    // A share has no drive to open: the plug-in gets no drive selected.
    const std::wstring share = L"\\\\server\\recovery";
    m_installer.SetPaths(&share, nullptr, nullptr, nullptr);
    Request(0);

    struct NotABurner : IOSDependentPlugin {};
    {
        ScopedPlugin none(L"MediaBurner", nullptr);
        Request(0);
    }
    ScopedPlugin wrongKind(L"mediaburner", std::make_shared<NotABurner>());
    Request(0);
    EXPECT_THAT(m_burner->Calls(), ElementsAre(L"SelectDrive e:\\", L"MediaRequest", L"host asked", L"SelectDrive ",
                                               L"MediaRequest", L"host asked", L"host asked", L"host asked"));
}

TEST_F(Events, CallbacksRunOnTheFiringThreadAndRegistrationWaitsForARequestToEnd)
{
    static std::atomic<bool> registered;
    static bool registeredDuringRequest;
    static std::thread other;
    static std::thread::id calledOn;
    registered = false;
    m_installer.RegisterForRecoveryMediaRequiredEvent([](int, bool* answer) {
        calledOn = std::this_thread::get_id();
        // Another thread registers while the request holds the list.
        other = std::thread([] {
            g_installer->RegisterForRecoveryMediaRequiredEvent(AnswerNo);
            registered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        registeredDuringRequest = registered;
        *answer = true;
    });
    bool answer = false;
    std::thread::id firing;
    std::thread([&] {
        firing = std::this_thread::get_id();
        answer = Request(0);
    }).join();
    other.join();

    EXPECT_TRUE(answer);
    EXPECT_FALSE(registeredDuringRequest);
    EXPECT_EQ(calledOn, firing);
    EXPECT_NE(firing, std::this_thread::get_id());
}

}  // namespace
