// Destination and version paths: the program-files tokens, environment
// variables, quotes, and relative paths placed below the destination.
#include "ModuleFixture.h"

#include "foundation/WideString.h"
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

// The library is a native 64-bit process on x64 on both platforms; the
// system expansion leaves a variable it does not know as it is.
TEST_F(ExpandPath, TokensVariablesQuotesDrivesSharesAndRelativePathsExpandAsTheRecordMeans)
{
    const std::wstring x86 = ExpandEnvVars(L"%ProgramFiles(x86)%");
    const std::wstring native = ExpandEnvVars(L"%ProgramFiles%");
    const std::wstring longValue = L"D:\\" + std::wstring(300, L'x');
    quen::platform::SetEnvVar(L"QUEN_TEST_LONG", longValue);
    const struct {
        std::wstring path;
        std::wstring expected;
    } cases[] = {
        {L"%PROGRAMFILES32%\\App", x86 + L"\\App"},
        {L"%PROGRAMFILES64%\\App", native + L"\\App"},
        {L"C:\\%PROGRAMFILES64%\\%PROGRAMFILES32%", L"C:\\%PROGRAMFILES64%\\" + x86},
        {L"App", L"C:\\Target\\App"},
        {L"\\App", L"C:\\Target\\App"},
        {L"\"App\\Data\"", L"C:\\Target\\App\\Data"},
        {L"D:\\Apps", L"D:\\Apps"},
        {L"\"D:\\Program Files\\App\"", L"D:\\Program Files\\App"},
        {L"D:Apps", L"D:Apps"},
        {L"\\\\server\\share\\Apps", L"\\\\server\\share\\Apps"},
        {L"%QUEN_TEST_LONG%\\App", longValue + L"\\App"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Expand(c.path), c.expected) << quen::ToUtf8(c.path);
    quen::platform::SetEnvVar(L"QUEN_TEST_LONG", L"");

    std::wstring out;
    EXPECT_TRUE(Peer::ReplaceEnvironmentString(L"%PROGRAMFILES32%\\App;%PROGRAMFILES32%", out));
    EXPECT_EQ(out, L"%ProgramFiles(x86)%\\App;%ProgramFiles(x86)%");
    EXPECT_FALSE(Peer::ReplaceEnvironmentString(L"%programfiles32%\\App", out));
    EXPECT_EQ(out, L"%programfiles32%\\App");

    const std::wstring withBackslash = L"C:\\Target\\";
    m_installer.SetPaths(&m_source, &withBackslash, nullptr, nullptr);
    EXPECT_EQ(Expand(L"App"), L"C:\\Target\\App");
    EXPECT_EQ(Expand(L"\\App"), L"C:\\Target\\\\App");
}

TEST_F(ExpandPath, AVersionPathThatNamesTheRegistryIsExpandedButNotPlacedBelowTheDestination)
{
    quen::platform::SetEnvVar(L"QUEN_TEST_KEY", L"SOFTWARE\\Quen");
    const struct {
        std::wstring path;
        std::wstring expected;
    } cases[] = {
        {L"HKLM\\SOFTWARE\\Quen\\Version", L"HKLM\\SOFTWARE\\Quen\\Version"},
        {L"\"\\hkey_local_machine\\SOFTWARE\\Quen\"", L"\\hkey_local_machine\\SOFTWARE\\Quen"},
        {L"HKCU\\%QUEN_TEST_KEY%\\Version", L"HKCU\\SOFTWARE\\Quen\\Version"},
        // Files go where the destination does, whatever letters they hold.
        {L"ChkUtil\\HKU.txt", L"C:\\Target\\ChkUtil\\HKU.txt"},
        {L"%PROGRAMFILES64%\\App\\version.txt", ExpandEnvVars(L"%ProgramFiles%") + L"\\App\\version.txt"},
        // The run expands a record's version path the same way.
        {L"App\\version.txt", Expand(L"App\\version.txt")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CModuleInstaller::ExpandVersionPath(c.path, L"C:\\Target"), c.expected) << quen::ToUtf8(c.path);
    quen::platform::SetEnvVar(L"QUEN_TEST_KEY", L"");
}

}  // namespace
