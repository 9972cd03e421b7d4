#include "fakes/TestMachine.h"

#include <quen/Machine.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace quen::platform {
namespace {

namespace fs = std::filesystem;

class FileSystem : public quen::test::TestMachine {
protected:
    // User extended attributes exist on the scratch folder's file system.
    bool HasXattrs() const
    {
        const auto probe = Host(Dir());
        if (::setxattr(probe.c_str(), "user.quen.probe", "1", 1, 0) != 0)
            return false;
        ::removexattr(probe.c_str(), "user.quen.probe");
        return true;
    }
};

TEST_F(FileSystem, CopyKeepsContentModeBitsAndModificationTime)
{
    WriteFile(Dir() + L"src.bin", std::string(3 << 20, 'q') + "tail");
    const auto source = Host(Dir() + L"src.bin");
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read);
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(source, past);

    ASSERT_TRUE(CopyOneFile(Dir() + L"src.bin", Dir() + L"dst.bin", false)) << LastError();

    EXPECT_EQ(ReadFile(Dir() + L"dst.bin"), ReadFile(Dir() + L"src.bin"));
    const auto target = Host(Dir() + L"dst.bin");
    EXPECT_EQ(fs::status(target).permissions(), fs::status(source).permissions());
    EXPECT_EQ(fs::last_write_time(target), past);
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
    for (const wchar_t* spelling : {L"Same.txt", L"SAME.TXT", L"same.txt"}) {
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

TEST_F(FileSystem, AttributesRoundTripAndDescribeFoldersAndPlainFiles)
{
    if (!HasXattrs())
        GTEST_SKIP() << "no user extended attributes on this file system";
    WriteFile(Dir() + L"f.txt", "x");
    EXPECT_EQ(GetAttributes(Dir() + L"f.txt"), 0x80u);
    EXPECT_EQ(GetAttributes(Dir()), 0x10u);

    ASSERT_TRUE(SetAttributes(Dir() + L"F.TXT", 0x01 | 0x02 | 0x04 | 0x20 | 0x100));
    EXPECT_EQ(GetAttributes(Dir() + L"f.txt"), 0x27u);  // unknown bits are not kept
    ASSERT_TRUE(SetAttributes(Dir(), 0x02));
    EXPECT_EQ(GetAttributes(Dir()), 0x12u);

    ASSERT_TRUE(SetAttributes(Dir() + L"f.txt", 0x80));
    EXPECT_EQ(GetAttributes(Dir() + L"f.txt"), 0x80u);

    EXPECT_EQ(GetAttributes(Dir() + L"missing"), InvalidAttributes);
    EXPECT_EQ(LastError(), err::FileNotFound);
    EXPECT_FALSE(SetAttributes(Dir() + L"missing", 0x02));
}

TEST_F(FileSystem, ReadOnlyAttributeTravelsWithACopyAndGuardsAgainstRemovalAndReplacement)
{
    if (!HasXattrs())
        GTEST_SKIP() << "no user extended attributes on this file system";
    WriteFile(Dir() + L"ro.txt", "keep");
    WriteFile(Dir() + L"other.txt", "other");
    ASSERT_TRUE(SetAttributes(Dir() + L"ro.txt", 0x01 | 0x02));

    EXPECT_FALSE(RemoveFile(Dir() + L"ro.txt"));
    EXPECT_EQ(LastError(), err::AccessDenied);
    EXPECT_FALSE(CopyOneFile(Dir() + L"other.txt", Dir() + L"ro.txt", false));
    EXPECT_EQ(LastError(), err::AccessDenied);
    EXPECT_EQ(ReadFile(Dir() + L"ro.txt"), "keep");

    ASSERT_TRUE(CopyOneFile(Dir() + L"ro.txt", Dir() + L"copy.txt", false));
    EXPECT_EQ(GetAttributes(Dir() + L"copy.txt"), 0x03u);

    fs::create_directory(Host(Dir()) / "rodir");
    ASSERT_TRUE(SetAttributes(Dir() + L"rodir", 0x01));
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

TEST_F(FileSystem, ListingGivesNamesAndKindsAndRefusesNamesThatAreNotUtf8)
{
    WriteFile(Dir() + L"list\\file.txt", "x");
    fs::create_directory(Host(Dir() + L"list") / "Sub");
    // A link to a folder is listed as a link, so walks never follow it.
    fs::create_directory_symlink(Host(Dir() + L"list") / "Sub", Host(Dir() + L"list") / "link");

    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListDirectory(Dir() + L"LIST", entries));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, L"Sub");
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, L"file.txt");
    EXPECT_FALSE(entries[1].isDirectory);
    EXPECT_EQ(entries[2].name, L"link");
    EXPECT_FALSE(entries[2].isDirectory);

    std::ofstream(Host(Dir() + L"list") / std::string("bad\xff\xfe"));
    EXPECT_FALSE(ListDirectory(Dir() + L"list", entries));
    EXPECT_EQ(LastError(), err::NoUnicodeTranslation);

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

// Another file system: the kernel's in-place copy is refused there, so the
// plain read and write path does the work, and a move becomes a copy.
TEST_F(FileSystem, MoveToAnotherFileSystemCopiesAndRemovesTheSource)
{
    const fs::path shm = "/dev/shm";
    struct stat here, there;
    if (::stat(shm.c_str(), &there) != 0 || ::stat(Host(Dir()).c_str(), &here) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at " << shm;
    struct Folder {
        fs::path path;
        ~Folder()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } folder{shm / Host(Dir()).filename()};
    const fs::path& other = folder.path;
    fs::create_directory(other);
    MapDrive(L'M', other);

    const std::string content = std::string(5 << 20, 'm') + "end";
    WriteFile(Dir() + L"big.bin", content);
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1000);
    fs::last_write_time(Host(Dir() + L"big.bin"), past);

    ASSERT_TRUE(MoveOneFile(Dir() + L"big.bin", L"M:\\big.bin")) << LastError();
    EXPECT_FALSE(PathExists(Dir() + L"big.bin"));
    EXPECT_EQ(ReadFile(L"M:\\big.bin"), content);
    EXPECT_EQ(fs::last_write_time(other / "big.bin"), past);

    WriteFile(Dir() + L"small.txt", "s");
    EXPECT_FALSE(MoveOneFile(Dir() + L"small.txt", L"M:\\big.bin"));
    EXPECT_EQ(LastError(), err::AlreadyExists);
    EXPECT_TRUE(PathExists(Dir() + L"small.txt"));
}

}  // namespace
}  // namespace quen::platform
