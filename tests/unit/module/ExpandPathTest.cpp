// Destination and version paths: the program-files tokens, environment
// variables, quotes, and relative paths placed below the destination unless
// they name the registry.
#include "ModuleFixture.h"

#include "foundation/WideString.h"
#include "platform/Environment.h"

#include <gtest/gtest.h>

namespace {

using quen::platform::ExpandEnvVars;

class ExpandPath : public quen::test::ModuleFixture {};

// The library is a native 64-bit process on x64 on both platforms; the
// system expansion leaves a variable it does not know as it is.
TEST_F(ExpandPath, TokensVariablesQuotesDrivesSharesRegistryAndRelativePathsExpandAsTheRecordMeans)
{
    const std::wstring x86 = ExpandEnvVars(L"%ProgramFiles(x86)%");
    const std::wstring native = ExpandEnvVars(L"%ProgramFiles%");
    const std::wstring longValue = L"D:\\" + std::wstring(300, L'x');
    quen::platform::SetEnvVar(L"QUEN_TEST_LONG", longValue);
    quen::platform::SetEnvVar(L"QUEN_TEST_KEY", L"SOFTWARE\\Quen");
    const struct {
        std::wstring path;
        std::wstring destination;
        std::wstring expected;
    } cases[] = {
        {L"%PROGRAMFILES32%\\App", L"C:\\Target", x86 + L"\\App"},
        {L"%PROGRAMFILES64%\\App", L"C:\\Target", native + L"\\App"},
        {L"%PROGRAMFILES32%\\App;%PROGRAMFILES32%", L"C:\\Target", x86 + L"\\App;" + x86},
        {L"C:\\%PROGRAMFILES64%\\%PROGRAMFILES32%", L"C:\\Target", L"C:\\%PROGRAMFILES64%\\" + x86},
        {L"App", L"C:\\Target", L"C:\\Target\\App"},
        {L"\\App", L"C:\\Target", L"C:\\Target\\App"},
        {L"App", L"C:\\Target\\", L"C:\\Target\\App"},
        {L"\\App", L"C:\\Target\\", L"C:\\Target\\\\App"},
        {L"\"App\\Data\"", L"C:\\Target", L"C:\\Target\\App\\Data"},
        {L"D:\\Apps", L"C:\\Target", L"D:\\Apps"},
        {L"\"D:\\Program Files\\App\"", L"C:\\Target", L"D:\\Program Files\\App"},
        {L"D:Apps", L"C:\\Target", L"D:Apps"},
        {L"\\\\server\\share\\Apps", L"C:\\Target", L"\\\\server\\share\\Apps"},
        {L"%QUEN_TEST_LONG%\\App", L"C:\\Target", longValue + L"\\App"},
        {L"HKLM\\SOFTWARE\\Quen\\Version", L"C:\\Target", L"HKLM\\SOFTWARE\\Quen\\Version"},
        {L"\"\\hkey_local_machine\\SOFTWARE\\Quen\"", L"C:\\Target", L"\\hkey_local_machine\\SOFTWARE\\Quen"},
        {L"HKCU\\%QUEN_TEST_KEY%\\Version", L"C:\\Target", L"HKCU\\SOFTWARE\\Quen\\Version"},
        // Files go where the destination does, whatever letters they hold.
        {L"ChkUtil\\HKU.txt", L"C:\\Target", L"C:\\Target\\ChkUtil\\HKU.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CModuleInstaller::ExpandVersionPath(c.path, c.destination), c.expected) << quen::ToUtf8(c.path);
    quen::platform::SetEnvVar(L"QUEN_TEST_LONG", L"");
    quen::platform::SetEnvVar(L"QUEN_TEST_KEY", L"");
}

}  // namespace
