#include "fakes/TestMachine.h"
#include "unit/version/VersionChecks.h"

#include <quen/VerifyVersion.h>

#include "platform/Environment.h"
#include "platform/Registry.h"
#include "version/RegistryPath.h"

namespace quen {
namespace {

using platform::RegRoot;
using platform::RegValue;
using platform::RegView;
namespace regtype = platform::regtype;

const std::wstring kKey = L"SOFTWARE\\Quen Test\\Product";

class RegistrySource : public test::TestMachine {
protected:
    static void Write(const std::wstring& name, const RegValue& value, RegView view = RegView::View64,
                      const std::wstring& key = kKey, RegRoot root = RegRoot::LocalMachine)
    {
        ASSERT_EQ(platform::RegWrite(root, key, name, view, value), 0u) << key << L"\\" << name;
    }
};

const std::wstring kHklm = L"HKLM\\" + kKey;

TEST_F(RegistrySource, KeyNamesDefaultTextDwordAndBinaryValuesMatchByTheirOwnRules)
{
    // A key named like the version matches in the 32-bit view without any value.
    Write(L"Marker", platform::RegDword(1), RegView::View32, kKey + L"\\2.1");
    Write(L"Marker", platform::RegDword(1), RegView::View32, kKey + L"\\10");
    Write(L"", platform::RegString(L"3.0"));
    platform::SetEnvVar(L"QUEN_TEST_BUILD", L"7");
    Write(L"Version", platform::RegString(L"v2.1 "));
    Write(L"Build", platform::RegString(L"2.%QUEN_TEST_BUILD%", regtype::ExpandSz));
    Write(L"Small", platform::RegDword(0x1A));
    Write(L"AllBits", platform::RegDword(0xFFFFFFFF));
    Write(L"Stamp", RegValue{regtype::Binary, {0x01, 0x0A, 0xFF}});
    const std::wstring longVersion = L"1." + std::wstring(400, L'5');
    Write(L"Long", platform::RegString(longVersion));
    Write(L"Version", platform::RegString(L"5.5"), RegView::Native, L"Software\\Quen Test", RegRoot::CurrentUser);
    test::ExpectVersionChecks({
        {kHklm + L"\\2.1", L"2.1", eVersionPresent, L"2.1"},
        // Leading and trailing zeros do not count for key names: 02.10 is 2.1 ...
        {L"HKEY_LOCAL_MACHINE\\" + kKey + L"\\2.1\\", L"02.10", eVersionPresent, L"2.1"},
        // ... but a whole number's trailing zeros do: 10 is 010, but neither 1 nor 100.
        {kHklm + L"\\10", L"010", eVersionPresent},
        {kHklm + L"\\10", L"1", eRegistryValueNotRead},
        {kHklm + L"\\10", L"100", eRegistryValueNotRead},
        {kHklm, L"3.0", eVersionPresent, L"3.0"},
        {kHklm + L"\\Version", L"V2.1", eVersionPresent, L"v2.1"},
        {kHklm + L"\\Version", L"2.1", eRegistryVersionDiffers, L"v2.1"},
        {kHklm + L"\\Build", L"2.7", eVersionPresent},
        {L"hklm\\" + kKey + L"\\build", L"2.%QUEN_TEST_BUILD%", eVersionPresent},  // the expected text expands too
        {kHklm + L"\\Small", L"001A", eVersionPresent, L"1A"},
        {kHklm + L"\\Small", L"1a", eVersionPresent},
        {kHklm + L"\\Small", L"26", eVersionPresent, L"1A"},
        {kHklm + L"\\Small", L"27", eRegistryVersionDiffers},
        {kHklm + L"\\AllBits", L"FFFFFFFF", eVersionPresent, L"FFFFFFFF"},
        // Decimal is unsigned: the expected text loses a minus sign when trimmed.
        {kHklm + L"\\AllBits", L"4294967295", eVersionPresent},
        {kHklm + L"\\AllBits", L"-1", eRegistryVersionDiffers},
        {kHklm + L"\\Stamp", L"01 0a ff", eVersionPresent, L"01 0A FF"},
        {kHklm + L"\\Long", longVersion, eVersionPresent, longVersion.c_str()},
        // The current user's keys are the same in both views.
        {L"HKEY_CURRENT_USER\\Software\\Quen Test\\Version", L"5.5", eVersionPresent},
        {L"HKCU\\Software\\Quen Test\\Version", L"5.6", eRegistryVersionDiffers},
        // Leading quotes, blanks and backslashes do not hide a root.
        {L"\\HKLM\\" + kKey + L"\\Version", L"v2.1", eVersionPresent},
        {L"\" \\HKEY_LOCAL_MACHINE\\" + kKey + L"\\Version\"", L"v2.1", eVersionPresent},
    });
    platform::SetEnvVar(L"QUEN_TEST_BUILD", L"");
}

TEST_F(RegistrySource, EachViewIsTriedAndEveryFailureHasItsOwnCode)
{
    Write(L"Only64", platform::RegString(L"4.0"));
    Write(L"List", platform::RegMultiString({L"4.0"}));
    Write(L"Wide", platform::RegQword(4));
    Write(L"Short", RegValue{regtype::Dword, {4, 0}});
    Write(L"Nothing", RegValue{regtype::None, {}});
    WriteFile(Dir() + L"HKUtils\\ChkUtil\\version.txt", "1.0\r\n");
    test::ExpectVersionChecks({
        {kHklm + L"\\Only64", L"4.0", eVersionPresent},
        {kHklm + L"\\Missing", L"4.0", eRegistryValueNotRead},
        {L"HKLM\\SOFTWARE\\Quen Test\\Nothing\\Here", L"4.0", eRegistryKeyNotOpened, L""},
        {kHklm + L"\\List", L"4", eUnsupportedRegistryValue},
        {kHklm + L"\\Wide", L"4", eUnsupportedRegistryValue},
        {kHklm + L"\\Short", L"4", eUnsupportedRegistryValue},
        {kHklm + L"\\Nothing", L"4", eUnsupportedRegistryValue},
        {L"HKLM", L"1.0", eRegistryPathWithoutKey},
        {L"  HKLM\\\\ ", L"1.0", eRegistryPathWithoutKey},
        {L"HKLM\\SOFTWARE", L"1.0", eRegistryPathWithoutValueName},
        // HKEY_CLASSES_ROOT looks like a registry path but is not a root the check knows.
        {L"HKEY_CLASSES_ROOT\\.txt\\Content Type", L"1.0", eUnknownRegistryRoot},
        // HKEY_DYN_DATA is known by name, but nothing opens below it.
        {L"HKDD\\PerfStats\\StatData\\Value", L"1.0", eRegistryKeyNotOpened},
        {L"HKEY_USERS\\Quen Test No Such User\\Software\\Version", L"1.0", eRegistryKeyNotOpened},
        // Only a root at the start makes a registry path, and HKCR is no short form.
        {L"HKCR\\.txt\\Content Type", L"1.0", eVersionFileNotFound, L"FILE NOT FOUND"},
        {Dir() + L"HKUtils\\ChkUtil\\version.txt", L"1.0", eVersionPresent},
    });
}

TEST(RegistryPath, ARootNameMustStandAtTheStartFollowedByABackslashOrTheEnd)
{
    for (const wchar_t* path : {L"HKLM\\SOFTWARE\\x", L"hkcu\\x", L"\\HKU\\x", L"\" HKCC", L"HKDD\\x",
                                L"HKEY_CLASSES_ROOT\\.txt", L"hkey_users"})
        EXPECT_TRUE(NamesRegistryRoot(path)) << path;
    for (const wchar_t* path : {L"C:\\Tools\\ChkUtil\\version.txt", L"C:\\HKLM\\x", L"HKCR\\x", L"HKUtils\\x",
                                L"HKLM2\\x", L"HKLM.txt", L"", L"\\\\"})
        EXPECT_FALSE(NamesRegistryRoot(path)) << path;
}

}  // namespace
}  // namespace quen
