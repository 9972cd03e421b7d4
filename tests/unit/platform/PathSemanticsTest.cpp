// One test per row of the path semantics table in docs/paths.md. The lexical
// rows hold on every platform; the rows about the machine root (drive map,
// case-insensitive lookup of host names) skip on Windows, where paths are the
// machine's own.
#include "fakes/TestMachine.h"

#include <quen/Machine.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <fstream>

namespace quen::platform {
namespace {

constexpr const char* kNoMachineRoot = "Windows paths are the machine's own: there is no machine root to map into";

class PathSemantics : public quen::test::TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        // C:\Work\ inside the machine root; on Windows the scratch folder,
        // since the real C:\ is not the test's to write.
        m_work = HasMachineRoot() ? L"C:\\Work\\" : Dir();
        std::filesystem::create_directories(Host(m_work));
        ASSERT_TRUE(SetCurrentDir(m_work));
    }

    // The current directory, with its trailing backslash, and its drive ("C:").
    const std::wstring& Work() const { return m_work; }
    std::wstring Drive() const { return m_work.substr(0, 2); }

    static std::wstring Full(const std::wstring& path)
    {
        std::wstring full;
        EXPECT_TRUE(FullPath(path, full)) << "error " << LastError();
        return full;
    }

    static uint32_t ErrorOf(const std::wstring& path)
    {
        std::wstring full;
        SetLastErrorCode(0);
        EXPECT_FALSE(FullPath(path, full));
        return LastError();
    }

    static void Touch(const std::filesystem::path& host)
    {
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host) << "x";
    }

private:
    std::wstring m_work;
};

TEST_F(PathSemantics, Row1RelativePathsResolveAgainstTheWindowsCurrentDirectory)
{
    EXPECT_EQ(Full(L"a\\b"), Work() + L"a\\b");
}

TEST_F(PathSemantics, Row1RelativePathsMapBelowTheCurrentDirectorysHostFolder)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << kNoMachineRoot;
    EXPECT_EQ(Host(L"a\\b"), HostRoot() / "drives/c/Work/a/b");
}

TEST_F(PathSemantics, Row2LeadingBackslashIsRootedOnTheCurrentDrive)
{
    EXPECT_EQ(Full(L"\\a"), Drive() + L"\\a");
}

TEST_F(PathSemantics, Row3DriveRelativePathsUseTheCurrentDirectoryOnlyOnItsDrive)
{
    const std::wstring other = Drive() == L"Q:" ? L"R:" : L"Q:";
    EXPECT_EQ(Full(other + L"a"), other + L"\\a");
    EXPECT_EQ(Full(Drive() + L"a"), Work() + L"a");
}

TEST_F(PathSemantics, Row4EitherSlashSeparatesAndRunsCountAsOne)
{
    EXPECT_EQ(Full(L"C:/a//b"), L"C:\\a\\b");
    EXPECT_EQ(Full(L"C:\\a\\/\\b"), L"C:\\a\\b");
}

TEST_F(PathSemantics, Row5DotDotStopsAtTheDriveRootAndAtTheShare)
{
    EXPECT_EQ(Full(L"C:\\a\\..\\..\\b"), L"C:\\b");
    EXPECT_EQ(Full(L"C:\\a\\.\\b\\."), L"C:\\a\\b");
    EXPECT_EQ(Full(L"\\\\s\\h\\..\\x"), L"\\\\s\\h\\x");
    std::wstring climb;
    for (int i = 0; i < 40; ++i)
        climb += L"..\\";
    EXPECT_EQ(Full(climb + L"x"), Drive() + L"\\x");
}

TEST_F(PathSemantics, Row5DotDotCannotClimbOutOfAMappedDrive)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << kNoMachineRoot;
    const quen::test::TempHostDir disc;
    MapDrive(L'E', disc.Path());
    EXPECT_EQ(Host(L"E:\\..\\..\\etc\\passwd"), disc.Path() / "etc/passwd");
}

TEST_F(PathSemantics, Row6TrailingDotsAndBlanksOfANameDrop)
{
    EXPECT_EQ(Full(L"C:\\a.\\b "), L"C:\\a\\b");
    EXPECT_EQ(Full(L"C:\\a\\...\\b"), L"C:\\a\\b");
}

TEST_F(PathSemantics, Row7TrailingBackslashIsKeptAndRootsEndWithOne)
{
    EXPECT_EQ(Full(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(Full(L"C:\\"), L"C:\\");
    EXPECT_EQ(Full(L"Q:"), L"Q:\\");
    EXPECT_EQ(Full(L"\\\\s\\h"), L"\\\\s\\h\\");
}

TEST_F(PathSemantics, Row8DriveLettersAreUpperCasedAndOtherComponentsKeepTheirCase)
{
    EXPECT_EQ(Full(L"c:\\Foo\\bAR"), L"C:\\Foo\\bAR");
}

TEST_F(PathSemantics, Row9LongPathPrefixesAreStrippedAndDevicePathsRefused)
{
    EXPECT_EQ(Full(L"\\\\?\\D:\\x"), L"D:\\x");
    EXPECT_EQ(Full(L"\\\\?\\UNC\\srv\\share\\x"), L"\\\\srv\\share\\x");
    EXPECT_EQ(ErrorOf(L"\\\\.\\PhysicalDrive0"), err::InvalidName);
}

TEST_F(PathSemantics, Row10InvalidCharactersAndDeviceNamesAreRefused)
{
    for (const wchar_t* bad : {L"C:\\a?b", L"C:\\a*", L"C:\\a<b", L"C:\\a|b", L"C:\\a\"b", L"C:\\a:b",
                               L"C:\\a\tb", L"C:\\x\\nul.txt", L"C:\\CON", L"C:\\com1\\x", L"", L"lpt9"}) {
        EXPECT_EQ(ErrorOf(bad), err::InvalidName) << ::testing::PrintToString(std::wstring(bad));
    }
    EXPECT_EQ(Full(L"C:\\com10\\console\\com0\\lpt0"), L"C:\\com10\\console\\com0\\lpt0");
}

TEST_F(PathSemantics, Row11MissingShareDotServerOrShareAndOverlongNamesAreRefused)
{
    EXPECT_EQ(ErrorOf(L"\\\\server"), err::BadPathname);
    EXPECT_EQ(ErrorOf(L"\\\\server\\"), err::BadPathname);
    // Dot names would leave the folder that holds the shares.
    for (const wchar_t* dots : {L"\\\\..\\..\\x", L"\\\\srv\\.\\x", L"\\\\?\\UNC\\. .\\share", L"//../share"})
        EXPECT_EQ(ErrorOf(dots), err::BadPathname) << ::testing::PrintToString(std::wstring(dots));
    EXPECT_EQ(ErrorOf(L"C:\\" + std::wstring(256, L'a')), err::FilenameExcedRange);
    EXPECT_EQ(Full(L"C:\\" + std::wstring(255, L'a')).size(), 258u);
    EXPECT_EQ(ErrorOf(L"C:\\" + std::wstring(40000, L'a')), err::FilenameExcedRange);
}

TEST_F(PathSemantics, Row12MissingCaseMatchesAnExistingVariantFirstInOrder)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << kNoMachineRoot;
    Touch(HostRoot() / "drives/c/Data/File.txt");
    EXPECT_EQ(Host(L"C:\\DATA\\file.TXT"), HostRoot() / "drives/c/Data/File.txt");

    Touch(HostRoot() / "drives/c/Twins/b/x");
    Touch(HostRoot() / "drives/c/Twins/B/x");
    EXPECT_EQ(Host(L"C:\\twins\\B\\x"), HostRoot() / "drives/c/Twins/B/x");  // exact case wins
    EXPECT_EQ(Host(L"C:\\twins\\b\\x"), HostRoot() / "drives/c/Twins/b/x");
    Touch(HostRoot() / "drives/c/Trio/aB/x");
    Touch(HostRoot() / "drives/c/Trio/Ab/x");
    EXPECT_EQ(Host(L"C:\\trio\\ab\\x"), HostRoot() / "drives/c/Trio/Ab/x");  // byte order breaks the tie
}

TEST_F(PathSemantics, Row13CreatingReusesAnExistingCaseVariant)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << kNoMachineRoot;
    std::filesystem::create_directories(HostRoot() / "drives/c/Data");
    const auto created = Host(L"C:\\data\\new\\deeper");
    EXPECT_EQ(created, HostRoot() / "drives/c/Data/new/deeper");
    std::filesystem::create_directories(created);
    EXPECT_FALSE(std::filesystem::exists(HostRoot() / "drives/c/data"));
}

TEST_F(PathSemantics, Row14AFolderHoldingANonUtf8NameCannotBeListed)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "Windows names are UTF-16: every name can be listed";
    Touch(HostRoot() / "drives/c/Mixed/bad\xff.txt");
    std::vector<DirEntry> entries;
    EXPECT_FALSE(ListDirectory(L"C:\\Mixed", entries));
    EXPECT_EQ(LastError(), err::NoUnicodeTranslation);
}

TEST_F(PathSemantics, Row15CaseFollowsUnicodeLetters)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << kNoMachineRoot;
    Touch(HostRoot() / "drives/c/ärger/Ωmega.txt");
    EXPECT_EQ(Host(L"C:\\ÄRGER\\ωMEGA.TXT"), HostRoot() / "drives/c/ärger/Ωmega.txt");
}

TEST_F(PathSemantics, DrivesAndSharesMapBelowTheRootOrToTheirHostFolders)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << kNoMachineRoot;
    EXPECT_EQ(Host(L"D:\\x"), HostRoot() / "drives/d/x");
    EXPECT_EQ(Host(L"\\\\Srv\\Share\\x"), HostRoot() / "unc/Srv/Share/x");
    const quen::test::TempHostDir disc;
    MapDrive(L'r', disc.Path());
    EXPECT_EQ(Host(L"R:\\a"), disc.Path() / "a");
    MapDrive(L'R', {});
    EXPECT_EQ(Host(L"R:\\a"), HostRoot() / "drives/r/a");
}

TEST_F(PathSemantics, BadDriveLettersAndInvalidPathsThrowFromTheHostApi)
{
    EXPECT_THROW(MapDrive(L'1', HostRoot()), std::invalid_argument);
    EXPECT_THROW(quen::HostPath(L"C:\\a?"), std::invalid_argument);
}

TEST_F(PathSemantics, CurrentDirectoryMustBeAnExistingFolderAndEndsWithABackslash)
{
    WriteFile(Work() + L"file.txt", "x");
    EXPECT_FALSE(SetCurrentDir(Work() + L"Nowhere"));
    EXPECT_EQ(LastError(), err::PathNotFound);
    EXPECT_FALSE(SetCurrentDir(Work() + L"file.txt"));
    EXPECT_EQ(LastError(), err::PathNotFound);
    EXPECT_EQ(CurrentDirectory(), Work());
}

TEST_F(PathSemantics, WindowsAndTempFoldersAreTheMachineRootsDefaults)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "Windows has its own Windows and temporary folders";
    EXPECT_EQ(WindowsDir(), L"C:\\Windows");
    EXPECT_EQ(TempDir(), L"C:\\Windows\\Temp\\");
}

}  // namespace
}  // namespace quen::platform
