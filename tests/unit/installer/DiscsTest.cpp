// Recovery discs: the number of the disc in the drive read from its marker,
// the requests to the host until the required disc is in, and the run
// cancelled when the host gives up.
#include "RunFixture.h"

#include <gmock/gmock.h>

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

    void Markers(std::initializer_list<const wchar_t*> names) const
    {
        std::filesystem::remove_all(Host(Drive()));
        for (const wchar_t* name : names)
            WriteFile(Drive() + L"\\" + name, "");
    }
    int32_t DiscInDrive(std::initializer_list<const wchar_t*> names) const
    {
        Markers(names);
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
    EXPECT_FALSE(LogContains(L"Unable to get disc in drive."));

    EXPECT_EQ(DiscInDrive({}), -1);
    EXPECT_EQ(DiscInDrive({L"QRD1", L"QRD2"}), -1);
    EXPECT_TRUE(LogContains(L"Unable to get disc in drive."));
}

TEST_F(Discs, AHardDiskSourceHasEveryDiscWithoutALineOrARequest)
{
    NewRun(true);
    EXPECT_TRUE(Run::DiscIsLoaded(*m_run, 3));
    EXPECT_THAT(m_requests, IsEmpty());
    EXPECT_FALSE(LogContains(L"Required disc"));
}

TEST_F(Discs, TheDiscAlreadyInTheDriveNeedsNoRequest)
{
    Insert(2);
    EXPECT_TRUE(Run::DiscIsLoaded(*m_run, 2));
    EXPECT_TRUE(LogContains(L"Required disc: 2"));
    EXPECT_THAT(m_requests, IsEmpty());
}

TEST_F(Discs, TheHostIsAskedAgainUntilTheRequiredDiscIsIn)
{
    Insert(1);
    std::vector<int> inserted = {3, 1, 2};
    m_host = [&inserted](int) {
        const int disc = inserted.front();
        inserted.erase(inserted.begin());
        return disc;
    };

    EXPECT_TRUE(Run::DiscIsLoaded(*m_run, 2));
    EXPECT_THAT(m_requests, ElementsAre(1, 1, 1));
    EXPECT_THAT(m_finished, IsEmpty());
    EXPECT_FALSE(m_run->Cancelled());
}

TEST_F(Discs, AHostThatGivesUpCancelsTheRunAndEndsIt)
{
    Insert(1);
    m_host = [](int) { return 0; };

    EXPECT_FALSE(Run::DiscIsLoaded(*m_run, 2));
    EXPECT_THAT(m_requests, ElementsAre(1));
    EXPECT_TRUE(LogContains(L"Installation Cancelled\n"));
    EXPECT_TRUE(m_run->Cancelled());
    EXPECT_EQ(Run::InstallStatus(*m_run), CInstaller::eStatusCancelled);
    EXPECT_TRUE(Run::BackgroundCancelled(*m_run));
    ASSERT_EQ(m_finished.size(), 1u);
    EXPECT_EQ(m_finished[0].status, CInstaller::eStatusCancelled);
    EXPECT_EQ(m_finished[0].exception.Message(), L"");
}

}  // namespace
