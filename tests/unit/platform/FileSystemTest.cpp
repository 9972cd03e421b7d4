#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace quen::platform {
namespace {

namespace fs = std::filesystem;

class FileSystem : public quen::test::TestMachine {
protected:
    // The file system keeps the hidden attribute (POSIX: in an extended
    // attribute, which some file systems lack).
    bool KeepsAttributes() const
    {
        WriteFile(Dir() + L"probe", "");
        const bool kept = SetAttributes(Dir() + L"probe", 0x02) && (GetAttributes(Dir() + L"probe") & 0x02) != 0;
        RemoveFile(Dir() + L"probe");
        return kept;
    }
};

TEST_F(FileSystem, CopyKeepsContentAndModificationTime)
{
    WriteFile(Dir() + L"src.bin", std::string(3 << 20, 'q') + "tail");
    const auto source = Host(Dir() + L"src.bin");
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(source, past);

    ASSERT_TRUE(CopyOneFile(Dir() + L"src.bin", Dir() + L"dst.bin", false)) << LastError();

    EXPECT_EQ(ReadFile(Dir() + L"dst.bin"), ReadFile(Dir() + L"src.bin"));
    // To the second: Wine's copies keep no fraction.
    EXPECT_EQ(std::chrono::floor<std::chrono::seconds>(fs::last_write_time(Host(Dir() + L"dst.bin"))),
              std::chrono::floor<std::chrono::seconds>(past));
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(Dir() + L"dst.bin", status));
    EXPECT_EQ(status.size, (3u << 20) + 4);
}

TEST_F(FileSystem, CopyReplacesOnlyWhenAllowedAndLeavesNoStagingFile)
{
    WriteFile(Dir() + L"a.txt", "new");
    WriteFile(Dir() + L"b.txt", "old");

    EXPECT_FALSE(CopyOneFile(Dir() + L"a.txt", Dir() + L"b.txt", true));
    EXPECT_EQ(LastError(), err::FileExists);
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), "old");

    EXPECT_TRUE(CopyOneFile(Dir() + L"a.txt", Dir() + L"b.txt", false));
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(Host(Dir())), fs::directory_iterator()), 2);
}

TEST_F(FileSystem, CopyOntoItselfIsRefusedWhateverTheSpellingAndKeepsTheContent)
{
    WriteFile(Dir() + L"Same.txt", "precious");
    for (const wchar_t* spelling : {L"Same.txt", L"SAME.TXT", L"same.txt", L"sub\\..\\Same.txt"}) {
        for (const bool failIfExists : {false, true}) {
            EXPECT_FALSE(CopyOneFile(Dir() + L"Same.txt", Dir() + spelling, failIfExists));
            EXPECT_EQ(LastError(), err::AccessDenied);
        }
    }
    // A hard link is the same file under another name.
    fs::create_hard_link(Host(Dir() + L"Same.txt"), Host(Dir()) / "alias.txt");
    EXPECT_FALSE(CopyOneFile(Dir() + L"alias.txt", Dir() + L"Same.txt", false));
    EXPECT_EQ(ReadFile(Dir() + L"Same.txt"), "precious");
}

TEST_F(FileSystem, CopyFailuresReportTheWindowsCodes)
{
    WriteFile(Dir() + L"a.txt", "a");
    EXPECT_FALSE(CopyOneFile(Dir() + L"missing.txt", Dir() + L"x.txt", false));
    EXPECT_EQ(LastError(), err::FileNotFound);
    EXPECT_FALSE(CopyOneFile(Dir() + L"a.txt", Dir() + L"no\\such\\x.txt", false));
    EXPECT_EQ(LastError(), err::PathNotFound);
    fs::create_directory(Host(Dir()) / "folder");
    EXPECT_FALSE(CopyOneFile(Dir() + L"folder", Dir() + L"x.txt", false));
    EXPECT_EQ(LastError(), err::AccessDenied);
    EXPECT_FALSE(CopyOneFile(Dir() + L"a.txt", Dir() + L"folder", false));
    EXPECT_EQ(LastError(), err::AccessDenied);
}

TEST_F(FileSystem, ReadOnlyAttributeTravelsWithACopyAndGuardsAgainstRemovalAndReplacement)
{
    if (!KeepsAttributes())
        GTEST_SKIP() << "this file system keeps no Windows attributes";
    WriteFile(Dir() + L"ro.txt", "keep");
    WriteFile(Dir() + L"other.txt", "other");
    ASSERT_TRUE(SetAttributes(Dir() + L"ro.txt", 0x01 | 0x02));

    EXPECT_FALSE(RemoveFile(Dir() + L"ro.txt"));
    EXPECT_EQ(LastError(), err::AccessDenied);
    EXPECT_FALSE(CopyOneFile(Dir() + L"other.txt", Dir() + L"ro.txt", false));
    EXPECT_EQ(LastError(), err::AccessDenied);
    EXPECT_EQ(ReadFile(Dir() + L"ro.txt"), "keep");

    ASSERT_TRUE(CopyOneFile(Dir() + L"ro.txt", Dir() + L"copy.txt", false));
    EXPECT_EQ(GetAttributes(Dir() + L"copy.txt") & 0x07u, 0x03u);
}

TEST_F(FileSystem, ReadOnlyFolderIsNotRemoved)
{
    fs::create_directory(Host(Dir()) / "rodir");
    ASSERT_TRUE(SetAttributes(Dir() + L"rodir", 0x01));
    if ((GetAttributes(Dir() + L"rodir") & 0x01) == 0)
        GTEST_SKIP() << "this file system keeps no read-only attribute on folders (Wine maps it to nothing)";
    EXPECT_FALSE(RemoveEmptyDirectory(Dir() + L"rodir"));
    EXPECT_EQ(LastError(), err::AccessDenied);
}

TEST_F(FileSystem, FoldersAreMadeOneLevelAtATimeAndRemovedOnlyWhenEmpty)
{
    EXPECT_TRUE(MakeDirectory(Dir() + L"one"));
    EXPECT_FALSE(MakeDirectory(Dir() + L"ONE"));
    EXPECT_EQ(LastError(), err::AlreadyExists);
    EXPECT_FALSE(MakeDirectory(Dir() + L"two\\three"));
    EXPECT_EQ(LastError(), err::PathNotFound);

    WriteFile(Dir() + L"one\\f.txt", "x");
    EXPECT_FALSE(RemoveEmptyDirectory(Dir() + L"one"));
    EXPECT_EQ(LastError(), err::DirNotEmpty);
    EXPECT_FALSE(RemoveEmptyDirectory(Dir() + L"one\\f.txt"));
    EXPECT_EQ(LastError(), err::Directory);
    EXPECT_FALSE(RemoveFile(Dir() + L"one"));
    EXPECT_EQ(LastError(), err::AccessDenied);
    EXPECT_TRUE(RemoveFile(Dir() + L"one\\F.TXT"));
    EXPECT_TRUE(RemoveEmptyDirectory(Dir() + L"One"));
    EXPECT_FALSE(PathExists(Dir() + L"one"));
}

TEST_F(FileSystem, ListingGivesNamesAndKinds)
{
    WriteFile(Dir() + L"list\\file.txt", "x");
    fs::create_directory(Host(Dir() + L"list") / "Sub");

    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListDirectory(Dir() + L"LIST", entries));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, L"Sub");
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, L"file.txt");
    EXPECT_FALSE(entries[1].isDirectory);

    EXPECT_FALSE(ListDirectory(Dir() + L"missing", entries));
    EXPECT_EQ(LastError(), err::FileNotFound);
}

TEST_F(FileSystem, MoveNeverReplacesAnExistingTarget)
{
    WriteFile(Dir() + L"a.txt", "a");
    WriteFile(Dir() + L"b.txt", "b");
    EXPECT_FALSE(MoveOneFile(Dir() + L"a.txt", Dir() + L"b.txt"));
    EXPECT_EQ(LastError(), err::AlreadyExists);
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), "b");
    EXPECT_TRUE(MoveOneFile(Dir() + L"a.txt", Dir() + L"c.txt"));
    EXPECT_FALSE(PathExists(Dir() + L"a.txt"));
    EXPECT_EQ(ReadFile(Dir() + L"c.txt"), "a");
}

}  // namespace
}  // namespace quen::platform
