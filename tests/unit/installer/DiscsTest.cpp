// Recovery discs: the number of the disc in the drive read from its marker,
// the requests to the host until the required disc is in, and the run
// cancelled when the host gives up.
#include "RunFixture.h"

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Discs : public quen::test::RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        NewRun(false);
    }

    int32_t DiscInDrive(std::initializer_list<const wchar_t*> markers) const
    {
        std::filesystem::remove_all(Host(Drive()));
        for (const wchar_t* name : markers)
            WriteFile(Drive() + L"\\" + name, "");
        return Run::GetDiscInDrive(*m_run);
    }
};

TEST_F(Discs, TheDiscInTheDriveIsTheNumberAfterTheMediaTypeInTheOneMarker)
{
    EXPECT_EQ(DiscInDrive({L"QRD2"}), 2);
    EXPECT_EQ(DiscInDrive({L"qrd12.id", L"readme.txt"}), 12);
    EXPECT_EQ(DiscInDrive({L"QRD"}), 0);
    EXPECT_EQ(DiscInDrive({L"QRDx"}), 0);
    EXPECT_EQ(DiscInDrive({L"QRD99999999999"}), INT32_MAX);
    EXPECT_EQ(DiscInDrive({}), -1);
    EXPECT_EQ(DiscInDrive({L"QRD1", L"QRD2"}), -1);
}

TEST_F(Discs, TheHostIsAskedAgainUntilTheRequiredDiscIsInWithAtMostALogLineASecondAndAGiveUpCancelsTheRun)
{
    Insert(2);
    EXPECT_TRUE(Run::DiscIsLoaded(*m_run, 2));
    EXPECT_THAT(m_requests, IsEmpty());
    std::vector<int> inserted = {3, 1};
    m_host = [&inserted](int) {
        const int disc = inserted.front();
        inserted.erase(inserted.begin());
        return disc;
    };
    EXPECT_TRUE(Run::DiscIsLoaded(*m_run, 1));
    EXPECT_THAT(m_requests, ElementsAre(0, 0));
    EXPECT_THAT(m_finished, IsEmpty());
    EXPECT_FALSE(m_run->Cancelled());

    // Yes without the disc 500 times, then no.
    int requests = 0;
    m_host = [&requests](int) { return ++requests < 500 ? 2 : 0; };
    const std::size_t linesBefore = LogTexts().size();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Run::DiscIsLoaded(*m_run, 3));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(requests, 500);
    // The first request's lines and the give-up's, then one a second at most.
    EXPECT_LE(LogTexts().size() - linesBefore, 8u + static_cast<std::size_t>(seconds.count()));
    EXPECT_TRUE(m_run->Cancelled());
    ASSERT_EQ(m_finished.size(), 1u);
    EXPECT_EQ(m_finished[0].status, CInstaller::eStatusCancelled);
    EXPECT_EQ(m_finished[0].exception.Message(), L"");

    // From a hard disk every disc is in.
    NewRun(true);
    EXPECT_TRUE(Run::DiscIsLoaded(*m_run, 3));
    EXPECT_EQ(m_requests.size(), 502u);
}

TEST_F(Discs, ACancelFromAnotherThreadOrFromTheRequestItselfEndsTheRequestsAsAGiveUp)
{
    for (const bool fromTheRequest : {false, true}) {
        NewRun(false);
        m_finished.clear();
        // Disc 3 stays in, whatever is asked for; after 2000 requests the host
        // gives up, so that a loop deaf to the cancel ends too.
        Insert(3);
        std::atomic<int> requests{0};
        std::atomic<int> atCancel{0};
        m_host = [&](int) {
            const int request = ++requests;
            if (fromTheRequest && request == 3) {
                atCancel = request;
                m_run->Cancel();
            }
            return request < 2000 ? 3 : 0;
        };
        const std::wstring media = L"QRD";
        ASSERT_TRUE(m_run->Install(&media, CDataTableList(), CDataTableList()));
        if (!fromTheRequest) {
            while (requests < 3)
                std::this_thread::yield();
            atCancel = requests.load();
            m_run->Cancel();
        }
        m_run->Wait();

        EXPECT_LE(requests - atCancel, 2) << fromTheRequest;
        ASSERT_EQ(m_finished.size(), 1u) << fromTheRequest;
        EXPECT_EQ(m_finished[0].status, CInstaller::eStatusCancelled);
        EXPECT_FALSE(std::filesystem::exists(Host(WorkRoot()))) << fromTheRequest;
    }
}

}  // namespace
