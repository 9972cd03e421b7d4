#include "fakes/Thrown.h"
#include "fakes/TestMachine.h"

#include <quen/OsServices.h>

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

class Copy : public quen::test::TestMachine {
protected:
    // src\ a.app  b.txt  sub\ c.app  sub\deep\ d.txt  empty\ (a folder with nothing)
    void SetUp() override
    {
        TestMachine::SetUp();
        m_src = Dir() + L"src\\";
        for (const wchar_t* file : {L"a.app", L"b.txt", L"sub\\c.app", L"sub\\deep\\d.txt"})
            WriteFile(m_src + file, "content of " + std::string(file, file + std::wcslen(file)));
        fs::create_directories(Host(m_src) / "empty");
        m_dst = Dir() + L"dst\\";
        fs::create_directories(Host(m_dst));
    }

    // Every path below `folder`, relative, folders with a trailing slash.
    std::set<std::string> Tree(const std::wstring& folder) const
    {
        std::set<std::string> paths;
        const fs::path root = Host(folder);
        for (const auto& entry : fs::recursive_directory_iterator(root))
            paths.insert(entry.path().lexically_relative(root).generic_string() + (entry.is_directory() ? "/" : ""));
        return paths;
    }

    std::wstring m_src;
    std::wstring m_dst;
};

using Paths = std::set<std::string>;

TEST_F(Copy, CopiesExactlyWhatWasListedWithItsModificationTimeAndAnEmptyFolderForNothingListed)
{
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 30);
    fs::last_write_time(Host(m_src + L"sub\\c.app"), past);
    CDirectory(m_dst + L"here").CopyDirectoryHere(CDirectory(m_src, L"*.app", true, false), false);
    EXPECT_EQ(Tree(m_dst + L"here"), (Paths{"src/", "src/a.app", "src/sub/", "src/sub/c.app"}));
    CDirectory(m_dst).CopyFileHere(CFilename(m_src + L"sub\\c.app"), false);
    // To the second: Wine's copies keep no fraction.
    const auto seconds = [](fs::file_time_type time) { return std::chrono::floor<std::chrono::seconds>(time); };
    EXPECT_EQ(seconds(fs::last_write_time(Host(m_dst + L"here\\src\\sub\\c.app"))), seconds(past));
    EXPECT_EQ(seconds(fs::last_write_time(Host(m_dst + L"c.app"))), seconds(past));

    CDirectory(m_dst + L"contents").CopyDirectoryContentsHere(CDirectory(m_src, L"*", true, true), false);
    EXPECT_EQ(Tree(m_dst + L"contents"),
              (Paths{"a.app", "b.txt", "empty/", "sub/", "sub/c.app", "sub/deep/", "sub/deep/d.txt"}));
    CDirectory(m_dst + L"new\\parent").CopyDirectoryHere(CDirectory(m_src), false);
    EXPECT_EQ(Tree(m_dst + L"new"), (Paths{"parent/", "parent/src/"}));
}

TEST_F(Copy, AFileOrFolderCopiedOntoOrIntoItselfIsRefusedAndTheSourceLeftWhole)
{
    for (const wchar_t* spelling : {L"SRC\\", L"Src\\Sub\\..\\"})
        EXPECT_THROW(CDirectory(Dir() + spelling).CopyFileHere(CFilename(m_src + L"a.app"), false), CFileException);
    EXPECT_EQ(ReadFile(m_src + L"a.app"), "content of a.app");

    const CDirectory source(m_src, L"*", true, true);
    // Into the folder that holds it, the copy would land on the source itself.
    for (const wchar_t* target : {L"", L"src\\", L"SRC\\sub\\", L"src\\new\\deeper\\"})
        EXPECT_THROW(CDirectory(Dir() + target).CopyDirectoryHere(source, false), CFileException) << target;
    EXPECT_EQ(Tree(m_src), (Paths{"a.app", "b.txt", "empty/", "sub/", "sub/c.app", "sub/deep/", "sub/deep/d.txt"}));
}

TEST_F(Copy, AnExistingFileIsReplacedOnlyWithoutFailIfExistsAndFailuresNameThePathConcerned)
{
    WriteFile(m_dst + L"b.txt", "old");
    ASSERT_TRUE(CFileSystemObject::SetAttributes(m_dst + L"b.txt", eAttrReadOnly));
    const auto exists =
        quen::test::Thrown<CFileException>([&] { CDirectory(m_dst).CopyFileHere(CFilename(m_src + L"b.txt"), true); });
    EXPECT_EQ(exists.value().ErrorCode(), 80u);
    EXPECT_EQ(ReadFile(m_dst + L"b.txt"), "old");
    CDirectory(m_dst).CopyFileHere(CFilename(m_src + L"B.TXT"), false);  // read-only does not stop a replacement
    EXPECT_EQ(ReadFile(m_dst + L"b.txt"), "content of b.txt");

    const CDirectory source(m_src, L"*", false, false);
    fs::remove(Host(m_src + L"b.txt"));  // vanished after listing
    const auto vanished =
        quen::test::Thrown<CFileException>([&] { CDirectory(m_dst).CopyDirectoryContentsHere(source, false); }).value();
    EXPECT_EQ(vanished.Directory(), m_src + L"b.txt");
    EXPECT_EQ(vanished.ErrorCode(), 2u);
    EXPECT_THROW(CDirectory(m_dst).CopyFileHere(CFilename(m_src), false), CFileException);
}

}  // namespace
