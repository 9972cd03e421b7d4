#include "fakes/TestMachine.h"

#include <quen/OsServices.h>

#include <filesystem>
#include <tuple>

namespace {

namespace fs = std::filesystem;

class Listing : public quen::test::TestMachine {
protected:
    // root\ b.txt  A.app  c.APP  Zeta\ z.app  Zeta\deep\ d.app  Zeta\deep\e.txt  alpha\ (empty)
    void SetUp() override
    {
        TestMachine::SetUp();
        m_root = Dir() + L"root\\";
        for (const wchar_t* file : {L"b.txt", L"A.app", L"c.APP", L"Zeta\\z.app", L"Zeta\\deep\\d.app",
                                    L"Zeta\\deep\\e.txt"})
            WriteFile(m_root + file, "x");
        fs::create_directories(Host(m_root) / "alpha");
    }

    // The listed files, or with `folders` the listed folders, relative to the root.
    std::vector<std::wstring> Names(const CDirectory& folder, bool folders = false) const
    {
        std::vector<std::wstring> names;
        for (std::size_t i = 0; i < (folders ? folder.GetDirectoryCount() : folder.GetFileCount()); ++i)
            names.push_back((folders ? folder.GetDirectory(i) : folder[i].GetFullPath()).substr(m_root.size()));
        return names;
    }

    std::wstring m_root;
};

using NameList = std::vector<std::wstring>;

TEST_F(Listing, ListsMatchingFilesInCaseInsensitiveOrderAndFoldersParentsFirst)
{
    const std::tuple<const wchar_t*, bool, bool, NameList, NameList> cases[] = {  // pattern, options, files, folders
        {L"*", false, false, {L"A.app", L"b.txt", L"c.APP"}, {}},
        {L"?.TXT", true, false, {L"b.txt", L"Zeta\\deep\\e.txt"}, {}},
        {L"*.app", true, true, {L"A.app", L"c.APP", L"Zeta\\deep\\d.app", L"Zeta\\z.app"},
         {L"alpha\\", L"Zeta\\", L"Zeta\\deep\\"}},
        {nullptr, true, true, {}, {}},
    };
    for (const auto& [pattern, recursive, includeFolders, files, folders] : cases) {
        SCOPED_TRACE(testing::PrintToString(pattern ? pattern : L"null"));
        const CDirectory folder(m_root, pattern, recursive, includeFolders);
        EXPECT_EQ(Names(folder), files);
        EXPECT_EQ(Names(folder, true), folders);
    }
    CDirectory folder(m_root, L"*.none", false, false);
    EXPECT_EQ(folder.GetFirstFile(), nullptr);
    folder.SetOptions(true, false);
    folder.LoadContents(nullptr);  // options take effect at the next load; a null pattern loads everything
    EXPECT_EQ(folder.GetFileCount(), 6u);
}

using Folders = quen::test::TestMachine;

TEST_F(Folders, CreateAndEnsureEmptyMakeMissingParentsReuseCaseVariantsAndNeverReplaceAFile)
{
    fs::create_directories(Host(Dir()) / "Existing");
    EXPECT_TRUE(CDirectory::Create(Dir() + L"EXISTING\\a\\b\\c"));
    EXPECT_TRUE(fs::is_directory(Host(Dir()) / "Existing" / "a" / "b" / "c"));

    WriteFile(Dir() + L"work\\sub\\deep\\b.txt", "x");
    ASSERT_TRUE(CFileSystemObject::SetAttributes(Dir() + L"work\\sub\\deep\\b.txt", eAttrReadOnly));
    ASSERT_TRUE(CFileSystemObject::SetAttributes(Dir() + L"work\\sub", eAttrReadOnly | eAttrHidden));
    EXPECT_TRUE(CDirectory::EnsureEmptyDirExists(Dir() + L"WORK\\"));
    EXPECT_TRUE(fs::is_empty(Host(Dir()) / "work"));

    WriteFile(Dir() + L"plain.txt", "keep");
    for (const std::wstring& path : {Dir() + L"plain.txt", Dir() + L"plain.txt\\sub", std::wstring(L"C:\\bad|name")}) {
        EXPECT_FALSE(CDirectory::Create(path));
        EXPECT_FALSE(CDirectory::EnsureEmptyDirExists(path));
    }
    EXPECT_EQ(ReadFile(Dir() + L"plain.txt"), "keep");
}

TEST_F(Folders, DeleteRemovesTheWholeTreeButNotWhatALinkPointsTo)
{
    WriteFile(Dir() + L"tree\\sub\\b.txt", "x");
    ASSERT_TRUE(CFileSystemObject::SetAttributes(Dir() + L"tree\\sub\\b.txt", eAttrReadOnly));
    ASSERT_TRUE(CFileSystemObject::SetAttributes(Dir() + L"tree\\sub", eAttrReadOnly));
    WriteFile(Dir() + L"outside\\kept.txt", "kept");
    std::error_code ec;
    fs::create_directory_symlink(Host(Dir() + L"outside"), Host(Dir() + L"tree") / "link", ec);
    if (ec)
        GTEST_SKIP() << "no folder links here: " << ec.message();
    const CDirectory tree(Dir() + L"Tree", L"*.none", false, false);  // what is listed does not matter
    EXPECT_TRUE(tree.Delete());
    EXPECT_FALSE(fs::exists(Host(Dir()) / "tree"));
    EXPECT_EQ(ReadFile(Dir() + L"outside\\kept.txt"), "kept");
    EXPECT_TRUE(tree.Delete());  // gone already
}

}  // namespace
