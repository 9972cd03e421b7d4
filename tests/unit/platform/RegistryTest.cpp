#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/Registry.h"

namespace quen::platform {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr RegRoot HKLM = RegRoot::LocalMachine;
constexpr RegView Native = RegView::Native;

class Registry : public quen::test::TestMachine {
protected:
    static Bytes Read(const std::wstring& key, const std::wstring& name, RegView view = Native)
    {
        RegValue value;
        EXPECT_EQ(RegRead(HKLM, key, name, view, value), err::Success) << key << L" " << name;
        return value.data;
    }
    static void Write(const std::wstring& key, const std::wstring& name, RegView view = Native,
                      const RegValue& value = RegDword(0), RegRoot root = HKLM)
    {
        ASSERT_EQ(RegWrite(root, key, name, view, value), err::Success) << key << L" " << name;
    }
};

TEST_F(Registry, EveryTypeAndSizeKeepsItsBytesAndTheDefaultValueIsTheEmptyName)
{
    // Past 256 bytes a value no longer fits the first read's buffer.
    Bytes longBinary(1 << 20);
    for (std::size_t i = 0; i < longBinary.size(); ++i)
        longBinary[i] = static_cast<uint8_t>(i * 7);
    const std::pair<std::wstring, RegValue> values[] = {
        {L"", RegString(L"default")},
        {L"Text", RegString(L"C:\\Program Files\\\"Quen\" [1] = ; caf\u00e9 \U0001F600")},
        {L"Lines", RegString(L"one\r\ntwo")},
        {L"Unterminated", RegValue{regtype::Sz, {'a', 0, 'b'}}},
        {L"Lone surrogate", RegValue{regtype::Sz, {0x00, 0xD8, 0, 0}}},
        {L"Binary", RegValue{regtype::Binary, longBinary}},
        {L"256 bytes", RegValue{regtype::Binary, Bytes(longBinary.begin(), longBinary.begin() + 256)}},
        {L"257 bytes", RegValue{regtype::Binary, Bytes(longBinary.begin(), longBinary.begin() + 257)}},
        {L"Short dword", RegValue{regtype::Dword, {1, 2}}},
        {L"Multi", RegMultiString({L"first", L"", L"third \"q\""})},
        {L"Odd type", RegValue{0x12345678, {9, 8, 7}}},
        {L"\"quoted\\name\"", RegDword(1)},
        {L"@", RegDword(2)},
    };
    for (const auto& [name, value] : values)
        Write(L"Software\\Types", name, Native, value, RegRoot::CurrentUser);
    for (const auto& [name, value] : values) {
        RegValue read;
        ASSERT_EQ(RegRead(RegRoot::CurrentUser, L"Software\\Types", name, Native, read), err::Success) << name;
        EXPECT_EQ(std::pair(read.type, read.data), std::pair(value.type, value.data)) << name;
    }
}

TEST_F(Registry, ThirtyTwoBitViewOfHklmSoftwareIsWow6432NodeAndOtherKeysHaveOneView)
{
    Write(L"Software\\App", L"V", RegView::View32, RegDword(32));
    Write(L"Software\\App", L"V", RegView::View64, RegDword(64));
    Write(L"SYSTEM\\S", L"V", RegView::View32, RegDword(1));
    EXPECT_EQ(Read(L"SOFTWARE\\WOW6432Node\\App", L"V"), RegDword(32).data);
    EXPECT_EQ(Read(L"SOFTWARE\\App", L"V"), RegDword(64).data);
    // A key named in the 32-bit tree already is not redirected twice.
    EXPECT_EQ(Read(L"SOFTWARE\\Wow6432Node\\App", L"V", RegView::View32), RegDword(32).data);
    EXPECT_EQ(Read(L"SYSTEM\\S", L"V", RegView::View64), RegDword(1).data);
}

TEST_F(Registry, NamesIgnoreCaseDeletionsTakeWholeTreesAndAbsentKeysOrMalformedPathsAreErrors)
{
    Write(L"SOFTWARE\\MyApp", L"Version", Native, RegString(L"1"));
    Write(L"software\\MYAPP", L"VERSION", Native, RegString(L"2"));
    EXPECT_EQ(Read(L"Software\\myapp\\", L"version"), RegString(L"2").data);
    Write(L"SOFTWARE\\b\\deep\\er", L"v");
    EXPECT_EQ(RegDeleteKeyTree(HKLM, L"software\\B", Native), err::Success);
    EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\b\\deep", Native));
    EXPECT_TRUE(RegKeyExists(HKLM, L"SOFTWARE\\MyApp", Native));

    RegValue value;
    EXPECT_EQ(RegRead(HKLM, L"SOFTWARE\\MyApp", L"w", Native, value), err::FileNotFound);
    EXPECT_EQ(RegDeleteKeyTree(HKLM, L"software\\B", Native), err::FileNotFound);
    EXPECT_EQ(RegDeleteKeyTree(HKLM, L"", Native), err::AccessDenied);
    EXPECT_EQ(RegWrite(HKLM, L"K\\\\L", L"v", Native, RegDword(0)), err::BadPathname);
}

}  // namespace
}  // namespace quen::platform
