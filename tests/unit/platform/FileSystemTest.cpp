#include "fakes/TestMachine.h"
#include "unit/platform/ErrorOf.h"

#include "platform/DiskSpace.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <tuple>

namespace quen::platform {
namespace {

namespace fs = std::filesystem;
using quen::test::ErrorOf;

class FileSystem : public quen::test::TestMachine {};

TEST_F(FileSystem, CopyKeepsContentAndTimeNeverLandsOnItsSourceEvenThroughAHardLinkAndFailsWithTheWindowsCodes)
{
    WriteFile(Dir() + L"a.txt", std::string(3 << 20, 'q') + "tail");
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(Host(Dir() + L"a.txt"), past);
    WriteFile(Dir() + L"b.txt", "old");
    fs::create_directory(Host(Dir()) / "folder");
    fs::create_hard_link(Host(Dir() + L"a.txt"), Host(Dir()) / "alias.txt");
    const std::tuple<const wchar_t*, const wchar_t*, uint32_t> cases[] = {
        {L"missing.txt", L"x.txt", err::FileNotFound}, {L"a.txt", L"no\\such\\x.txt", err::PathNotFound},
        {L"folder", L"x.txt", err::AccessDenied},      {L"a.txt", L"folder", err::AccessDenied},
        {L"a.txt", L"alias.txt", err::AccessDenied},  // a hard link is the same file
    };
    for (const auto& [from, to, error] : cases)
        EXPECT_EQ(ErrorOf(CopyOneFile(Dir() + from, Dir() + to, false)), error) << from << L" to " << to;

    ASSERT_TRUE(CopyOneFile(Dir() + L"a.txt", Dir() + L"b.txt", false)) << LastError();
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), ReadFile(Dir() + L"a.txt"));
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(Dir() + L"b.txt", status));
    EXPECT_EQ(std::pair(status.isDirectory, status.size), std::pair(false, uint64_t{(3 << 20) + 4}));
    EXPECT_NEAR(status.modifiedUnixSeconds, std::time(nullptr) - 24 * 400 * 3600, 60);
    ASSERT_TRUE(GetFileStatus(Dir() + L"folder", status));
    EXPECT_TRUE(status.isDirectory);
    // No staging file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(Host(Dir())), fs::directory_iterator()), 4);
}

TEST_F(FileSystem, ReadOnlyAttributeTravelsWithACopyAndGuardsAgainstRemovalAndReplacement)
{
    WriteFile(Dir() + L"ro.txt", "keep");
    WriteFile(Dir() + L"other.txt", "other");
    if (!SetAttributes(Dir() + L"ro.txt", 0x01 | 0x02) || (GetAttributes(Dir() + L"ro.txt") & 0x02) == 0)
        GTEST_SKIP() << "this file system keeps no Windows attributes";
    EXPECT_EQ(ErrorOf(RemoveFile(Dir() + L"ro.txt")), err::AccessDenied);
    EXPECT_EQ(ErrorOf(CopyOneFile(Dir() + L"other.txt", Dir() + L"ro.txt", false)), err::AccessDenied);
    EXPECT_EQ(ReadFile(Dir() + L"ro.txt"), "keep");
    ASSERT_TRUE(CopyOneFile(Dir() + L"ro.txt", Dir() + L"copy.txt", false));
    EXPECT_EQ(GetAttributes(Dir() + L"copy.txt") & 0x07u, 0x03u);
}

TEST_F(FileSystem, FoldersAreMadeOneLevelAtATimeRemovedOnlyWhenEmptyMovesNeverReplaceAndTheirVolumesFreeSpaceIsRead)
{
    EXPECT_EQ(ErrorOf(MakeDirectory(Dir() + L"one")), 0u);
    EXPECT_EQ(ErrorOf(MakeDirectory(Dir() + L"ONE")), err::AlreadyExists);
    EXPECT_EQ(ErrorOf(MakeDirectory(Dir() + L"two\\three")), err::PathNotFound);
    WriteFile(Dir() + L"one\\f.txt", "x");
    std::vector<DirEntry> entries;
    EXPECT_EQ(ErrorOf(ListDirectory(Dir() + L"missing", entries)), err::FileNotFound);
    EXPECT_EQ(ErrorOf(RemoveEmptyDirectory(Dir() + L"one")), err::DirNotEmpty);
    EXPECT_EQ(ErrorOf(RemoveEmptyDirectory(Dir() + L"one\\f.txt")), err::Directory);
    EXPECT_EQ(ErrorOf(RemoveFile(Dir() + L"one")), err::AccessDenied);
    WriteFile(Dir() + L"b.txt", "b");
    EXPECT_EQ(ErrorOf(MoveOneFile(Dir() + L"one\\F.TXT", Dir() + L"b.txt")), err::AlreadyExists);
    EXPECT_EQ(ReadFile(Dir() + L"b.txt"), "b");
    EXPECT_EQ(ErrorOf(MoveOneFile(Dir() + L"one\\F.TXT", Dir() + L"c.txt")), 0u);
    EXPECT_EQ(ReadFile(Dir() + L"c.txt"), "x");
    EXPECT_EQ(ErrorOf(RemoveEmptyDirectory(Dir() + L"One")), 0u);
    EXPECT_FALSE(PathExists(Dir() + L"one"));
    uint64_t free = 0;
    EXPECT_TRUE(SystemFreeDiskSpace(Dir(), free) && free > 0);
    EXPECT_NE(ErrorOf(SystemFreeDiskSpace(Dir() + L"one", free)), 0u);
}

TEST_F(FileSystem, PathsLongerThanMaxPathWorkThroughout)
{
    std::wstring folder = Dir();
    while (folder.size() < 400) {
        folder += std::wstring(60, L'd') + L"\\";
        ASSERT_TRUE(MakeDirectory(folder)) << LastError();
    }
    WriteFile(Dir() + L"short.txt", "long way");
    ASSERT_TRUE(CopyOneFile(Dir() + L"short.txt", folder + L"copy.txt", true)) << LastError();
    ASSERT_TRUE(MoveOneFile(folder + L"copy.txt", folder + L"moved.txt")) << LastError();
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(folder + L"moved.txt", status));
    EXPECT_EQ(status.size, 8u);
    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListDirectory(folder, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, L"moved.txt");
    EXPECT_TRUE(RemoveFile(folder + L"moved.txt"));
    for (; folder != Dir(); folder.erase(folder.find_last_of(L'\\', folder.size() - 2) + 1))
        ASSERT_TRUE(RemoveEmptyDirectory(folder)) << LastError();
}

TEST_F(FileSystem, AFileLockHasOneHolderAtATimeIsFreeAgainWithItsObjectAndInAMissingFolderSaysWhy)
{
    const std::wstring path = Dir() + L"run.lock";
    auto first = FileLock::TryLock(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FileLock::TryLock(path), nullptr);
    EXPECT_EQ(LastError(), err::SharingViolation);
    first.reset();
    EXPECT_NE(FileLock::TryLock(path), nullptr);
    EXPECT_EQ(FileLock::TryLock(Dir() + L"missing\\run.lock"), nullptr);
    EXPECT_EQ(LastError(), err::PathNotFound);
}

}  // namespace
}  // namespace quen::platform
