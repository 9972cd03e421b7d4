#include "fakes/TestMachine.h"
#include "unit/platform/ErrorOf.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <tuple>

namespace quen::platform {
namespace {

namespace fs = std::filesystem;
using quen::test::ErrorOf;

class FileSystem : public quen::test::TestMachine {};

TEST_F(FileSystem, CopyKeepsContentAndModificationTime)
{
    WriteFile(Dir() + L"src.bin", std::string(3 << 20, 'q') + "tail");
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(Host(Dir() + L"src.bin"), past);

    ASSERT_TRUE(CopyOneFile(Dir() + L"src.bin", Dir() + L"dst.bin", false)) << LastError();
    EXPECT_EQ(ReadFile(Dir() + L"dst.bin"), ReadFile(Dir() + L"src.bin"));
    // To the second: Wine's copies keep no fraction.
    EXPECT_EQ(std::chrono::floor<std::chrono::seconds>(fs::last_write_time(Host(Dir() + L"dst.bin"))),
              std::chrono::floor<std::chrono::seconds>(past));
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(Dir() + L"dst.bin", status));
    EXPECT_EQ(status.size, (3u << 20) + 4);
}

TEST_F(FileSystem, CopyReplacesOnlyWhenAllowedAndFailuresReportTheWindowsCodes)
{
    WriteFile(Dir() + L"a.txt", "new");
    WriteFile(Dir() + L"b.txt", "old");
    fs::create_directory(Host(Dir()) / "folder");
    const std::tuple<const wchar_t*, const wchar_t*, bool, uint32_t> cases[] = {
        {L"a.txt", L"b.txt", true, err::FileExists},
        {L"missing.txt", L"x.txt", false, err::FileNotFound},
        {L"a.txt", L"no\\such\\x.txt", false, err::PathNotFound},
        {L"folder", L"x.txt", false, err::AccessDenied},
        {L"a.txt", L"folder", false, err::AccessDenied},
    };
    for (const auto& [from, to, failIfExists, error] : cases)
        EXPECT_EQ(ErrorOf(CopyOneFile(Dir() + from, Dir() + to, failIfExists)), error) << from << L" to " << to;
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), "old");
    EXPECT_TRUE(CopyOneFile(Dir() + L"a.txt", Dir() + L"b.txt", false));
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), "new");
    // No staging file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(Host(Dir())), fs::directory_iterator()), 3);
}

TEST_F(FileSystem, CopyOntoItselfIsRefusedWhateverTheSpellingAndKeepsTheContent)
{
    WriteFile(Dir() + L"Same.txt", "precious");
    // A hard link is the same file under another name.
    fs::create_hard_link(Host(Dir() + L"Same.txt"), Host(Dir()) / "alias.txt");
    for (const wchar_t* spelling : {L"Same.txt", L"SAME.TXT", L"same.txt", L"sub\\..\\Same.txt", L"alias.txt"}) {
        for (const bool failIfExists : {false, true})
            EXPECT_EQ(ErrorOf(CopyOneFile(Dir() + L"Same.txt", Dir() + spelling, failIfExists)), err::AccessDenied);
    }
    EXPECT_EQ(ReadFile(Dir() + L"Same.txt"), "precious");
}

TEST_F(FileSystem, ReadOnlyAttributeTravelsWithACopyAndGuardsAgainstRemovalAndReplacement)
{
    WriteFile(Dir() + L"ro.txt", "keep");
    WriteFile(Dir() + L"other.txt", "other");
    fs::create_directory(Host(Dir()) / "rodir");
    if (!SetAttributes(Dir() + L"ro.txt", 0x01 | 0x02) || (GetAttributes(Dir() + L"ro.txt") & 0x02) == 0)
        GTEST_SKIP() << "this file system keeps no Windows attributes";
    EXPECT_EQ(ErrorOf(RemoveFile(Dir() + L"ro.txt")), err::AccessDenied);
    EXPECT_EQ(ErrorOf(CopyOneFile(Dir() + L"other.txt", Dir() + L"ro.txt", false)), err::AccessDenied);
    EXPECT_EQ(ReadFile(Dir() + L"ro.txt"), "keep");
    ASSERT_TRUE(CopyOneFile(Dir() + L"ro.txt", Dir() + L"copy.txt", false));
    EXPECT_EQ(GetAttributes(Dir() + L"copy.txt") & 0x07u, 0x03u);

    // Wine maps the read-only attribute of a folder to nothing.
    ASSERT_TRUE(SetAttributes(Dir() + L"rodir", 0x01));
    if ((GetAttributes(Dir() + L"rodir") & 0x01) != 0) {
        EXPECT_EQ(ErrorOf(RemoveEmptyDirectory(Dir() + L"rodir")), err::AccessDenied);
    }
}

TEST_F(FileSystem, FoldersAreMadeOneLevelAtATimeAndRemovedOnlyWhenEmpty)
{
    EXPECT_EQ(ErrorOf(MakeDirectory(Dir() + L"one")), 0u);
    EXPECT_EQ(ErrorOf(MakeDirectory(Dir() + L"ONE")), err::AlreadyExists);
    EXPECT_EQ(ErrorOf(MakeDirectory(Dir() + L"two\\three")), err::PathNotFound);
    WriteFile(Dir() + L"one\\f.txt", "x");
    EXPECT_EQ(ErrorOf(RemoveEmptyDirectory(Dir() + L"one")), err::DirNotEmpty);
    EXPECT_EQ(ErrorOf(RemoveEmptyDirectory(Dir() + L"one\\f.txt")), err::Directory);
    EXPECT_EQ(ErrorOf(RemoveFile(Dir() + L"one")), err::AccessDenied);
    EXPECT_EQ(ErrorOf(RemoveFile(Dir() + L"one\\F.TXT")), 0u);
    EXPECT_EQ(ErrorOf(RemoveEmptyDirectory(Dir() + L"One")), 0u);
    EXPECT_FALSE(PathExists(Dir() + L"one"));
}

TEST_F(FileSystem, ListingGivesNamesAndKindsAndMovingNeverReplacesAnExistingTarget)
{
    WriteFile(Dir() + L"list\\file.txt", "x");
    fs::create_directory(Host(Dir() + L"list") / "Sub");
    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListDirectory(Dir() + L"LIST", entries));
    std::vector<std::pair<std::wstring, bool>> listed;
    for (const DirEntry& entry : entries)
        listed.emplace_back(entry.name, entry.isDirectory);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::pair<std::wstring, bool>>{{L"Sub", true}, {L"file.txt", false}}));
    EXPECT_EQ(ErrorOf(ListDirectory(Dir() + L"missing", entries)), err::FileNotFound);

    WriteFile(Dir() + L"a.txt", "a");
    WriteFile(Dir() + L"b.txt", "b");
    EXPECT_EQ(ErrorOf(MoveOneFile(Dir() + L"a.txt", Dir() + L"b.txt")), err::AlreadyExists);
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), "b");
    EXPECT_TRUE(MoveOneFile(Dir() + L"a.txt", Dir() + L"c.txt"));
    EXPECT_FALSE(PathExists(Dir() + L"a.txt"));
    EXPECT_EQ(ReadFile(Dir() + L"c.txt"), "a");
}

}  // namespace
}  // namespace quen::platform
