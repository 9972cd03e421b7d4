// The path semantics table of docs/paths.md; the machine-root rows skip on Windows.
#include "fakes/TestMachine.h"
#include "unit/platform/ErrorOf.h"

#include <quen/Machine.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <fstream>
#include <tuple>

namespace quen::platform {
namespace {

class PathSemantics : public quen::test::TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        // On Windows the scratch folder: the real C:\ is not the test's to write.
        m_work = HasMachineRoot() ? L"C:\\Work\\" : Dir();
        std::filesystem::create_directories(Host(m_work));
        ASSERT_TRUE(SetCurrentDir(m_work));
    }

    std::wstring m_work;
};

TEST_F(PathSemantics, LexicalRowsGiveTheirFullPathOrTheirError)
{
    const std::wstring drive = m_work.substr(0, 2);
    const std::wstring other = drive == L"Q:" ? L"R:" : L"Q:";
    struct Row {
        int row;
        std::wstring path;
        std::wstring full;  // empty: refused with `error`
        uint32_t error = 0;
    };
    const Row rows[] = {
        {1, L"a\\b", m_work + L"a\\b"}, {2, L"\\a", drive + L"\\a"}, {4, L"C:/a//b", L"C:\\a\\b"},
        {3, other + L"a", other + L"\\a"}, {3, drive + L"a", m_work + L"a"},
        {5, L"C:\\a\\..\\..\\b", L"C:\\b"}, {5, L"C:\\a\\.\\b\\.", L"C:\\a\\b"},
        {5, L"\\\\s\\h\\..\\x", L"\\\\s\\h\\x"}, {6, L"C:\\a.\\b ", L"C:\\a\\b"}, {6, L"C:\\a\\...\\b", L"C:\\a\\b"},
        {7, L"C:\\a\\", L"C:\\a\\"}, {7, L"Q:", L"Q:\\"}, {7, L"\\\\s\\h", L"\\\\s\\h\\"},
        {8, L"c:\\Foo\\bAR", L"C:\\Foo\\bAR"},
        {9, L"\\\\?\\D:\\x", L"D:\\x"}, {9, L"\\\\?\\UNC\\srv\\share\\x", L"\\\\srv\\share\\x"},
        {9, L"\\\\.\\PhysicalDrive0", L"", err::InvalidName},
        {10, L"C:\\com10\\console\\com0\\lpt0.txt", L"C:\\com10\\console\\com0\\lpt0.txt"},
        // Dot names would leave the folder that holds the shares.
        {11, L"\\\\server", L"", err::BadPathname}, {11, L"\\\\..\\..\\x", L"", err::BadPathname},
        {11, L"\\\\?\\UNC\\. .\\share", L"", err::BadPathname},
        {11, L"C:\\" + std::wstring(255, L'a'), L"C:\\" + std::wstring(255, L'a')},
        {11, L"C:\\" + std::wstring(256, L'a'), L"", err::FilenameExcedRange},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "row " << r.row << ": " << testing::PrintToString(r.path.substr(0, 60)));
        std::wstring full;
        SetLastErrorCode(0);
        EXPECT_EQ(FullPath(r.path, full), r.error == 0);
        EXPECT_EQ(r.error == 0 ? full : std::wstring(), r.full);
        EXPECT_EQ(LastError(), r.error);
    }
    for (const wchar_t* bad : {L"C:\\a?b", L"C:\\a*", L"C:\\a<b", L"C:\\a|b", L"C:\\a\"b", L"C:\\a:b", L"C:\\a\tb",
                               L"C:\\x\\nul.txt", L"C:\\CON", L"C:\\com1\\x", L"", L"lpt9"}) {
        std::wstring full;
        EXPECT_EQ(quen::test::ErrorOf(FullPath(bad, full)), err::InvalidName) << testing::PrintToString(bad);
    }
}

TEST_F(PathSemantics, MachineRootRowsMapDrivesFindNamesWhateverTheirCaseAndRefuseToListNonUtf8Names)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "no machine root on Windows";
    const quen::test::TempHostDir disc;
    MapDrive(L'E', disc.Path());
    const auto c = HostRoot() / "drives/c";
    for (const char* file : {"Data/File.txt", "Twins/b/x", "Twins/B/x", "Trio/aB/x", "Trio/Ab/x", "ärger/Ωmega.txt",
                             "Mixed/bad\xff.txt"}) {
        std::filesystem::create_directories((c / file).parent_path());
        std::ofstream(c / file) << "x";
    }
    const std::tuple<int, std::wstring, std::filesystem::path> rows[] = {
        {1, L"a\\b", c / "Work/a/b"}, {5, L"E:\\..\\..\\etc\\passwd", disc.Path() / "etc/passwd"},
        {12, L"C:\\DATA\\file.TXT", c / "Data/File.txt"}, {12, L"C:\\twins\\b\\x", c / "Twins/b/x"},
        {12, L"C:\\twins\\B\\x", c / "Twins/B/x"},  // exact case wins
        {12, L"C:\\trio\\ab\\x", c / "Trio/Ab/x"},  // byte order breaks the tie
        {13, L"C:\\data\\new\\deeper", c / "Data/new/deeper"}, {15, L"C:\\ÄRGER\\ωMEGA.TXT", c / "ärger/Ωmega.txt"},
        {0, L"D:\\x", HostRoot() / "drives/d/x"}, {0, L"\\\\Srv\\Share\\x", HostRoot() / "unc/Srv/Share/x"},
    };
    for (const auto& [row, path, host] : rows)
        EXPECT_EQ(Host(path), host) << "row " << row;
    std::vector<DirEntry> entries;
    EXPECT_FALSE(ListDirectory(L"C:\\Mixed", entries)) << "row 14";
    EXPECT_EQ(LastError(), err::NoUnicodeTranslation) << "row 14";
    MapDrive(L'e', {});
    EXPECT_EQ(Host(L"E:\\a"), HostRoot() / "drives/e/a");
}

}  // namespace
}  // namespace quen::platform
