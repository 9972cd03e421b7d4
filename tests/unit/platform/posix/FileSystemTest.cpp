// Files and folders on POSIX: mode bits, links, odd host names, other file systems.
#include "fakes/TestMachine.h"
#include "fakes/Thrown.h"
#include "fakes/posix/FaultInjection.h"
#include "unit/platform/ErrorOf.h"

#include <quen/Machine.h>
#include <quen/OsServices.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <fstream>

namespace quen::platform {
namespace {

namespace fs = std::filesystem;
using quen::test::ErrorOf;

using PosixFileSystem = quen::test::TestMachine;

// A read-only disc gives 0444 files, which the host must still unscramble or replace.
TEST_F(PosixFileSystem, CopyKeepsModeBitsAndIsWritableByItsOwner)
{
    using fs::perms;
    WriteFile(Dir() + L"src.bin", "x");
    const perms mode = perms::owner_read | perms::owner_exec | perms::group_read | perms::others_read;
    fs::permissions(Host(Dir() + L"src.bin"), mode);
    ASSERT_TRUE(CopyOneFile(Dir() + L"src.bin", Dir() + L"dst.bin", false)) << LastError();
    EXPECT_EQ(fs::status(Host(Dir() + L"dst.bin")).permissions(), mode | perms::owner_write);
}

TEST_F(PosixFileSystem, ACopyRefusedForItsSourceReportsAccessDeniedNotTheTargetItNeverMade)
{
    WriteFile(Dir() + L"src.bin", "x");
    ASSERT_TRUE(CDirectory::Create(Dir() + L"dst"));
    test::ArmFileSystemFault(1, EACCES);
    const auto e = test::Thrown<CFileException>(
        [&] { CDirectory(Dir() + L"dst").CopyFileHere(CFilename(Dir() + L"src.bin"), false); });
    test::DisarmFileSystemFault();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ErrorCode(), err::AccessDenied);
    EXPECT_FALSE(fs::exists(Host(Dir() + L"dst\\src.bin")));
}

// A name that reads as a Windows path ("x\\y") never stands for another file.
TEST_F(PosixFileSystem, EmptyingAFolderRemovesEveryHostEntryWhateverItsName)
{
    const fs::path area = Host(Dir()) / "area";
    fs::create_directories(area / "odd:dir" / "locked");
    fs::create_directories(area / "x");
    for (const char* name : {"install-12:30.log", "?", "*", "tab\tname", "bad\xff\xfe", "x\\y", "..\\victim",
                             "x/y", "odd:dir/a?b", "odd:dir/locked/inside"})
        std::ofstream(area / name) << name;
    fs::permissions(area / "odd:dir" / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    WriteFile(Dir() + L"victim", "kept");
    WriteFile(Dir() + L"kept\\behind-link.txt", "kept");
    fs::create_directory_symlink(Host(Dir() + L"kept"), area / "link");
    ASSERT_TRUE(SetAttributes(Dir() + L"area\\x\\y", 0x01));

    ASSERT_TRUE(RemoveFolderContents(Dir() + L"area")) << LastError();
    EXPECT_TRUE(fs::is_empty(area));
    EXPECT_EQ(ReadFile(Dir() + L"victim"), "kept");
    EXPECT_EQ(ReadFile(Dir() + L"kept\\behind-link.txt"), "kept");
    EXPECT_EQ(ErrorOf(RemoveFolderContents(Dir() + L"victim")), err::Directory);
    EXPECT_EQ(ErrorOf(RemoveFolderContents(Dir() + L"missing")), err::FileNotFound);
}

// The kernel's in-place copy is refused across file systems: the plain copy does the work.
TEST_F(PosixFileSystem, MoveToAnotherFileSystemCopiesAndRemovesTheSource)
{
    const fs::path shm = "/dev/shm";
    struct stat here, there;
    if (::stat(shm.c_str(), &there) != 0 || ::stat(Host(Dir()).c_str(), &here) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at " << shm;
    const fs::path other = shm / Host(Dir()).filename();
    fs::create_directory(other);
    const std::shared_ptr<void> removeOther(nullptr, [&](void*) { fs::remove_all(other); });
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
    EXPECT_EQ(ErrorOf(MoveOneFile(Dir() + L"small.txt", L"M:\\big.bin")), err::AlreadyExists);
    EXPECT_TRUE(PathExists(Dir() + L"small.txt"));
}

}  // namespace
}  // namespace quen::platform
