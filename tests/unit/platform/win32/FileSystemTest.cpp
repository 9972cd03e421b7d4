// Files and folders on Windows: what the Win32 calls need around them.
#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <ctime>

namespace quen::platform {
namespace {

class WindowsFileSystem : public quen::test::TestMachine {};

TEST_F(WindowsFileSystem, PathsLongerThanMaxPathWorkThroughout)
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

TEST_F(WindowsFileSystem, StatusGivesUnixSecondsAndTheFileSystemsAttributes)
{
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    WriteFile(Dir() + L"new.txt", "12345");
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(Dir() + L"new.txt", status));
    EXPECT_EQ(std::pair(status.isDirectory, status.size), std::pair(false, uint64_t{5}));
    EXPECT_GE(status.modifiedUnixSeconds, before - 5);
    EXPECT_LE(status.modifiedUnixSeconds, static_cast<int64_t>(std::time(nullptr)) + 5);
    EXPECT_EQ(status.attributes, GetAttributes(Dir() + L"new.txt"));
    ASSERT_TRUE(GetFileStatus(Dir(), status));
    EXPECT_EQ(std::pair(status.isDirectory, status.size), std::pair(true, uint64_t{0}));
}

}  // namespace
}  // namespace quen::platform
