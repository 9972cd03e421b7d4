// Destination and version paths: the program-files tokens, environment
// variables, quotes, and relative paths placed below the destination.
#include "ModuleFixture.h"

#include "platform/Environment.h"

#include <gtest/gtest.h>

namespace {

using quen::platform::ExpandEnvVars;

class ExpandPath : public quen::test::ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        Configure(L"C:\\Target");
    }

    std::wstring Expand(const std::wstring& path) { return Peer::ExpandPath(m_module, path); }

    CDataTable m_record = Record(L"Office", L"Modules\\Office");
    CModuleInstaller m_module{&m_record, &m_installer};
};

// The library is a native 64-bit process on x64 on both platforms.
TEST_F(ExpandPath, ProgramFilesTokensNameTheX86AndTheNativeFolder)
{
    std::wstring out;
    EXPECT_TRUE(Peer::ReplaceEnvironmentString(L"%PROGRAMFILES32%\\App;%PROGRAMFILES32%", out));
    EXPECT_EQ(out, L"%ProgramFiles(x86)%\\App;%ProgramFiles(x86)%");
    EXPECT_TRUE(Peer::ReplaceEnvironmentString(L"%PROGRAMFILES64%\\App", out));
    EXPECT_EQ(out, L"%ProgramFiles%\\App");

    EXPECT_EQ(Expand(L"%PROGRAMFILES32%\\App"), ExpandEnvVars(L"%ProgramFiles(x86)%") + L"\\App");
    EXPECT_EQ(Expand(L"%PROGRAMFILES64%\\App"), ExpandEnvVars(L"%ProgramFiles%") + L"\\App");
}

TEST_F(ExpandPath, OnlyTheUpperCase32TokenIsReplacedWhenBothStand)
{
    std::wstring out;
    Peer::ReplaceEnvironmentString(L"%PROGRAMFILES64%|%PROGRAMFILES32%", out);
    EXPECT_EQ(out, L"%PROGRAMFILES64%|%ProgramFiles(x86)%");

    EXPECT_FALSE(Peer::ReplaceEnvironmentString(L"%programfiles32%\\App", out));
    EXPECT_EQ(out, L"%programfiles32%\\App");
    // The system expansion leaves a variable it does not know as it is.
    EXPECT_EQ(Expand(L"C:\\%PROGRAMFILES64%\\%PROGRAMFILES32%"),
              L"C:\\%PROGRAMFILES64%\\" + ExpandEnvVars(L"%ProgramFiles(x86)%"));
}

TEST_F(ExpandPath, RelativePathsGoBelowTheDestinationWithOneBackslash)
{
    EXPECT_EQ(Expand(L"App"), L"C:\\Target\\App");
    EXPECT_EQ(Expand(L"\\App"), L"C:\\Target\\App");
    EXPECT_EQ(Expand(L"\"App\\Data\""), L"C:\\Target\\App\\Data");

    const std::wstring withBackslash = L"C:\\Target\\";
    m_installer.SetPaths(&m_source, &withBackslash, nullptr, nullptr);
    EXPECT_EQ(Expand(L"App"), L"C:\\Target\\App");
    EXPECT_EQ(Expand(L"\\App"), L"C:\\Target\\\\App");
}

TEST_F(ExpandPath, DrivesAndSharesStayWhereTheyPointAndLoseTheirQuotes)
{
    EXPECT_EQ(Expand(L"D:\\Apps"), L"D:\\Apps");
    EXPECT_EQ(Expand(L"\"D:\\Program Files\\App\""), L"D:\\Program Files\\App");
    EXPECT_EQ(Expand(L"D:Apps"), L"D:Apps");
    EXPECT_EQ(Expand(L"\\\\server\\share\\Apps"), L"\\\\server\\share\\Apps");
}

TEST_F(ExpandPath, AVersionPathThatNamesTheRegistryIsExpandedButNotPlacedBelowTheDestination)
{
    const std::wstring target = L"C:\\Target";
    EXPECT_EQ(CModuleInstaller::ExpandVersionPath(L"HKLM\\SOFTWARE\\Quen\\Version", target),
              L"HKLM\\SOFTWARE\\Quen\\Version");
    EXPECT_EQ(CModuleInstaller::ExpandVersionPath(L"\"\\hkey_local_machine\\SOFTWARE\\Quen\"", target),
              L"\\hkey_local_machine\\SOFTWARE\\Quen");
    quen::platform::SetEnvVar(L"QUEN_TEST_KEY", L"SOFTWARE\\Quen");
    EXPECT_EQ(CModuleInstaller::ExpandVersionPath(L"HKCU\\%QUEN_TEST_KEY%\\Version", target),
              L"HKCU\\SOFTWARE\\Quen\\Version");
    quen::platform::SetEnvVar(L"QUEN_TEST_KEY", L"");
    // Files go where the destination does, whatever letters they hold.
    EXPECT_EQ(CModuleInstaller::ExpandVersionPath(L"ChkUtil\\HKU.txt", target), L"C:\\Target\\ChkUtil\\HKU.txt");
    EXPECT_EQ(CModuleInstaller::ExpandVersionPath(L"%PROGRAMFILES64%\\App\\version.txt", target),
              ExpandEnvVars(L"%ProgramFiles%") + L"\\App\\version.txt");
    // The run expands a record's version path the same way.
    EXPECT_EQ(CModuleInstaller::ExpandVersionPath(L"App\\version.txt", target), Expand(L"App\\version.txt"));
}

TEST_F(ExpandPath, ALongExpansionIsKeptWhole)
{
    const std::wstring longValue = L"D:\\" + std::wstring(300, L'x');
    quen::platform::SetEnvVar(L"QUEN_TEST_LONG", longValue);
    EXPECT_EQ(Expand(L"%QUEN_TEST_LONG%\\App"), longValue + L"\\App");
    quen::platform::SetEnvVar(L"QUEN_TEST_LONG", L"");
}

}  // namespace
