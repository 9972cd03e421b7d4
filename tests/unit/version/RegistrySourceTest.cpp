#include "fakes/TestMachine.h"

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
    // VerifyVersion's code, with its result text in m_result.
    int32_t Verify(const std::wstring& path, const std::wstring& expected)
    {
        m_result = L"left over";
        return VerifyVersion(path.c_str(), expected.c_str(), m_result);
    }
    std::wstring m_result;
};

TEST_F(RegistrySource, AKeyNamedLikeTheVersionMatchesInThe32BitViewWithoutAnyValue)
{
    Write(L"Marker", platform::RegDword(1), RegView::View32, kKey + L"\\2.1");
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\2.1", L"2.1"), eVersionPresent);
    EXPECT_EQ(m_result, L"2.1");
    // Leading and trailing zeros do not count for key names: 02.10 is 2.1.
    EXPECT_EQ(Verify(L"HKEY_LOCAL_MACHINE\\" + kKey + L"\\2.1\\", L"02.10"), eVersionPresent);
    EXPECT_EQ(m_result, L"2.1");
    // A whole number's trailing zeros do: 10 is 010, but neither 1 nor 100.
    Write(L"Marker", platform::RegDword(1), RegView::View32, kKey + L"\\10");
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\10", L"010"), eVersionPresent);
    for (const wchar_t* expected : {L"1", L"100"})
        EXPECT_NE(Verify(L"HKLM\\" + kKey + L"\\10", expected), eVersionPresent) << expected;
}

TEST_F(RegistrySource, TheDefaultValueOfTheNamedKeyCounts)
{
    Write(L"", platform::RegString(L"3.0"));
    EXPECT_EQ(Verify(L"HKLM\\" + kKey, L"3.0"), eVersionPresent);
    EXPECT_EQ(m_result, L"3.0");
}

TEST_F(RegistrySource, TextValuesAreTrimmedExpandedAndComparedInUpperCase)
{
    platform::SetEnvVar(L"QUEN_TEST_BUILD", L"7");
    Write(L"Version", platform::RegString(L"v2.1 "));
    Write(L"Build", platform::RegString(L"2.%QUEN_TEST_BUILD%", regtype::ExpandSz));
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Version", L"V2.1"), eVersionPresent);
    EXPECT_EQ(m_result, L"v2.1");
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Build", L"2.7"), eVersionPresent);
    // The expected text is expanded too.
    EXPECT_EQ(Verify(L"hklm\\" + kKey + L"\\build", L"2.%QUEN_TEST_BUILD%"), eVersionPresent);
    platform::SetEnvVar(L"QUEN_TEST_BUILD", L"");
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Version", L"2.1"), eRegistryVersionDiffers);
    EXPECT_EQ(m_result, L"v2.1");
}

TEST_F(RegistrySource, ADwordMatchesInHexadecimalWithOrWithoutZerosAndInUnsignedDecimal)
{
    Write(L"Small", platform::RegDword(0x1A));
    Write(L"AllBits", platform::RegDword(0xFFFFFFFF));
    for (const wchar_t* expected : {L"1A", L"001A", L"26", L"1a"}) {
        EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Small", expected), eVersionPresent) << expected;
        EXPECT_EQ(m_result, L"1A");
    }
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Small", L"27"), eRegistryVersionDiffers);
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\AllBits", L"FFFFFFFF"), eVersionPresent);
    EXPECT_EQ(m_result, L"FFFFFFFF");
    // Decimal is unsigned: the expected text loses a minus sign when trimmed.
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\AllBits", L"4294967295"), eVersionPresent);
    EXPECT_EQ(m_result, L"FFFFFFFF");
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\AllBits", L"-1"), eRegistryVersionDiffers);
}

TEST_F(RegistrySource, BinaryValuesAreHexPairs)
{
    Write(L"Stamp", RegValue{regtype::Binary, {0x01, 0x0A, 0xFF}});
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Stamp", L"01 0a ff"), eVersionPresent);
    EXPECT_EQ(m_result, L"01 0A FF");
}

TEST_F(RegistrySource, ValuesLongerThanTheFirstBufferAreReadWhole)
{
    const std::wstring longVersion = L"1." + std::wstring(400, L'5');
    Write(L"Long", platform::RegString(longVersion));
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Long", longVersion), eVersionPresent);
    EXPECT_EQ(m_result, longVersion);
}

TEST_F(RegistrySource, EachViewIsTriedAndTheLastLookupGivesTheCode)
{
    // Only the 64-bit view holds the value: found there after the 32-bit view failed.
    Write(L"Only64", platform::RegString(L"4.0"));
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Only64", L"4.0"), eVersionPresent);
    // A value that is missing where the key exists.
    EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\Missing", L"4.0"), eRegistryValueNotRead);
    // A key that is missing in both views.
    EXPECT_EQ(Verify(L"HKLM\\SOFTWARE\\Quen Test\\Nothing\\Here", L"4.0"), eRegistryKeyNotOpened);
    EXPECT_EQ(m_result, L"");
    // Unsupported types.
    Write(L"List", platform::RegMultiString({L"4.0"}));
    Write(L"Wide", platform::RegQword(4));
    Write(L"Short", RegValue{regtype::Dword, {4, 0}});
    Write(L"Nothing", RegValue{regtype::None, {}});
    for (const wchar_t* name : {L"List", L"Wide", L"Short", L"Nothing"})
        EXPECT_EQ(Verify(L"HKLM\\" + kKey + L"\\" + name, L"4"), eUnsupportedRegistryValue) << name;
}

TEST_F(RegistrySource, TheCurrentUsersKeysAreTheSameInBothViews)
{
    Write(L"Version", platform::RegString(L"5.5"), RegView::Native, L"Software\\Quen Test", RegRoot::CurrentUser);
    EXPECT_EQ(Verify(L"HKEY_CURRENT_USER\\Software\\Quen Test\\Version", L"5.5"), eVersionPresent);
    EXPECT_EQ(Verify(L"HKCU\\Software\\Quen Test\\Version", L"5.6"), eRegistryVersionDiffers);
}

TEST_F(RegistrySource, MalformedPathsGiveTheirOwnCodes)
{
    EXPECT_EQ(Verify(L"HKLM", L"1.0"), eRegistryPathWithoutKey);
    EXPECT_EQ(Verify(L"  HKLM\\\\ ", L"1.0"), eRegistryPathWithoutKey);
    EXPECT_EQ(Verify(L"HKLM\\SOFTWARE", L"1.0"), eRegistryPathWithoutValueName);
    // HKEY_CLASSES_ROOT looks like a registry path but is not a root the check knows.
    EXPECT_EQ(Verify(L"HKEY_CLASSES_ROOT\\.txt\\Content Type", L"1.0"), eUnknownRegistryRoot);
    // HKEY_DYN_DATA is known by name, but nothing opens below it.
    EXPECT_EQ(Verify(L"HKDD\\PerfStats\\StatData\\Value", L"1.0"), eRegistryKeyNotOpened);
    EXPECT_EQ(Verify(L"HKEY_USERS\\Quen Test No Such User\\Software\\Version", L"1.0"), eRegistryKeyNotOpened);
}

TEST_F(RegistrySource, OnlyARootAtTheStartMakesARegistryPathAndTheShortFormOfClassesRootIsNone)
{
    EXPECT_EQ(Verify(L"HKCR\\.txt\\Content Type", L"1.0"), eVersionFileNotFound);
    EXPECT_EQ(m_result, L"FILE NOT FOUND");
    // Root names inside a file path are letters like any others.
    WriteFile(Dir() + L"HKUtils\\ChkUtil\\version.txt", "1.0\r\n");
    EXPECT_EQ(Verify(Dir() + L"HKUtils\\ChkUtil\\version.txt", L"1.0"), eVersionPresent);
    EXPECT_EQ(Verify(L"C:\\Tools\\ChkUtil\\version.txt", L"1.0"), eVersionFileNotFound);
    // Leading quotes, blanks and backslashes do not hide a root.
    Write(L"Version", platform::RegString(L"6.1"));
    EXPECT_EQ(Verify(L"\\HKLM\\" + kKey + L"\\Version", L"6.1"), eVersionPresent);
    EXPECT_EQ(Verify(L"\" \\HKEY_LOCAL_MACHINE\\" + kKey + L"\\Version\"", L"6.1"), eVersionPresent);
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
