// One test per row of the path semantics table in docs/paths.md.
#include "fakes/TestMachine.h"

#include <quen/Machine.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <fstream>

namespace quen::platform {
namespace {

class PathSemantics : public quen::test::TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        std::filesystem::create_directories(Host(L"C:\\Work"));
        ASSERT_TRUE(SetCurrentDir(L"C:\\Work"));
    }

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
};

TEST_F(PathSemantics, Row1RelativePathsResolveAgainstTheWindowsCurrentDirectory)
{
    EXPECT_EQ(Full(L"a\\b"), L"C:\\Work\\a\\b");
    EXPECT_EQ(Host(L"a\\b"), HostRoot() / "drives/c/Work/a/b");
}

TEST_F(PathSemantics, Row2LeadingBackslashIsRootedOnTheCurrentDrive)
{
    EXPECT_EQ(Full(L"\\a"), L"C:\\a");
}

TEST_F(PathSemantics, Row3DriveRelativePathsUseTheCurrentDirectoryOnlyOnItsDrive)
{
    EXPECT_EQ(Full(L"D:a"), L"D:\\a");
    EXPECT_EQ(Full(L"C:a"), L"C:\\Work\\a");
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
    EXPECT_EQ(Full(L"..\\..\\..\\x"), L"C:\\x");
    // A record cannot climb out of a mapped drive through `..`.
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
    EXPECT_EQ(Full(L"D:"), L"D:\\");
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
    EXPECT_EQ(Full(L"C:\\com10\\console"), L"C:\\com10\\console");
}

TEST_F(PathSemantics, Row11MissingShareAndOverlongNamesAreRefused)
{
    EXPECT_EQ(ErrorOf(L"\\\\server"), err::BadPathname);
    EXPECT_EQ(ErrorOf(L"\\\\server\\"), err::BadPathname);
    EXPECT_EQ(ErrorOf(L"C:\\" + std::wstring(256, L'a')), err::FilenameExcedRange);
    EXPECT_EQ(Full(L"C:\\" + std::wstring(255, L'a')).size(), 258u);
    EXPECT_EQ(ErrorOf(L"C:\\" + std::wstring(40000, L'a')), err::FilenameExcedRange);
}

TEST_F(PathSemantics, Row12MissingCaseMatchesAnExistingVariantFirstInOrder)
{
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
    std::filesystem::create_directories(HostRoot() / "drives/c/Data");
    const auto created = Host(L"C:\\data\\new\\deeper");
    EXPECT_EQ(created, HostRoot() / "drives/c/Data/new/deeper");
    std::filesystem::create_directories(created);
    EXPECT_FALSE(std::filesystem::exists(HostRoot() / "drives/c/data"));
}

TEST_F(PathSemantics, Row14AFolderHoldingANonUtf8NameCannotBeListed)
{
    Touch(HostRoot() / "drives/c/Mixed/bad\xff.txt");
    std::vector<DirEntry> entries;
    EXPECT_FALSE(ListDirectory(L"C:\\Mixed", entries));
    EXPECT_EQ(LastError(), err::NoUnicodeTranslation);
}

TEST_F(PathSemantics, Row15CaseFollowsUnicodeLetters)
{
    Touch(HostRoot() / "drives/c/ärger/Ωmega.txt");
    EXPECT_EQ(Host(L"C:\\ÄRGER\\ωMEGA.TXT"), HostRoot() / "drives/c/ärger/Ωmega.txt");
}

TEST_F(PathSemantics, DrivesAndSharesMapBelowTheRootOrToTheirHostFolders)
{
    EXPECT_EQ(Host(L"D:\\x"), HostRoot() / "drives/d/x");
    EXPECT_EQ(Host(L"\\\\Srv\\Share\\x"), HostRoot() / "unc/Srv/Share/x");
    const quen::test::TempHostDir disc;
    MapDrive(L'r', disc.Path());
    EXPECT_EQ(Host(L"R:\\a"), disc.Path() / "a");
    MapDrive(L'R', {});
    EXPECT_EQ(Host(L"R:\\a"), HostRoot() / "drives/r/a");
    EXPECT_THROW(MapDrive(L'1', disc.Path()), std::invalid_argument);
    EXPECT_THROW(quen::HostPath(L"C:\\a?"), std::invalid_argument);
}

TEST_F(PathSemantics, CurrentDirectoryMustExistAndEndsWithABackslash)
{
    EXPECT_FALSE(SetCurrentDir(L"C:\\Nowhere"));
    EXPECT_EQ(LastError(), err::PathNotFound);
    EXPECT_EQ(CurrentDirectory(), L"C:\\Work\\");
    EXPECT_EQ(WindowsDir(), L"C:\\Windows");
    EXPECT_EQ(TempDir(), L"C:\\Windows\\Temp\\");
}

}  // namespace
}  // namespace quen::platform
