#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/Registry.h"

#include <thread>

namespace quen::platform {
namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::wstring>;
constexpr RegRoot HKLM = RegRoot::LocalMachine;

class Registry : public quen::test::TestMachine {
protected:
    static RegValue Read(RegRoot root, const std::wstring& key, const std::wstring& name,
                         RegView view = RegView::Native)
    {
        RegValue value;
        EXPECT_EQ(RegRead(root, key, name, view, value), err::Success) << key << L" " << name;
        return value;
    }
    static void Write(const std::wstring& key, const std::wstring& name, RegView view = RegView::Native,
                      const RegValue& value = RegDword(0), RegRoot root = HKLM)
    {
        ASSERT_EQ(RegWrite(root, key, name, view, value), err::Success) << key << L" " << name;
    }
    static Names Values(const std::wstring& key)
    {
        Names names;
        EXPECT_EQ(RegListValues(HKLM, key, RegView::Native, names), err::Success);
        return names;
    }
    static Names Subkeys(const std::wstring& key)
    {
        Names names;
        EXPECT_EQ(RegListSubkeys(HKLM, key, RegView::Native, names), err::Success);
        return names;
    }
};

TEST(RegistryValues, HelpersGiveTheWindowsBytesAndTextComesFromStringTypesUpToTheFirstZero)
{
    const std::pair<RegValue, Bytes> values[] = {
        {RegString(L"a\u00e9"), {'a', 0, 0xE9, 0, 0, 0}},
        {RegString(L"\U0001F600", regtype::ExpandSz), {0x3D, 0xD8, 0x00, 0xDE, 0, 0}},
        {RegDword(0x1A2B3C4D), {0x4D, 0x3C, 0x2B, 0x1A}},
        {RegQword(0x0102030405060708ull), {8, 7, 6, 5, 4, 3, 2, 1}},
        {RegMultiString({L"a", L"b"}), {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
        {RegMultiString({}), {0, 0}},
    };
    for (const auto& [value, bytes] : values)
        EXPECT_EQ(value.data, bytes);
    EXPECT_EQ(RegString(L"x", regtype::ExpandSz).type, regtype::ExpandSz);

    EXPECT_EQ(RegValueText(RegValue{regtype::Sz, {'a', 0, 0, 0, 'b', 0}}), L"a");
    EXPECT_EQ(RegValueText(RegValue{regtype::ExpandSz, {'%', 0, 'X', 0, '%', 0}}), L"%X%");
    EXPECT_EQ(RegValueText(RegValue{regtype::Sz, {0x3D, 0xD8, 0x00, 0xDE, 'z'}}), L"\U0001F600");
    EXPECT_EQ(RegValueText(RegDword(0x41)), L"");
}

TEST_F(Registry, EveryTypeKeepsItsBytesAndTheDefaultValueIsTheEmptyName)
{
    Bytes longBinary(300);
    for (std::size_t i = 0; i < longBinary.size(); ++i)
        longBinary[i] = static_cast<uint8_t>(i * 7);
    const std::vector<std::pair<std::wstring, RegValue>> values = {
        {L"", RegString(L"default")},
        {L"Text", RegString(L"C:\\Program Files\\\"Quen\" [1] = ; caf\u00e9 \U0001F600")},
        {L"Empty", RegString(L"")},
        {L"Lines", RegString(L"one\r\ntwo")},
        {L"Unterminated", RegValue{regtype::Sz, {'a', 0, 'b'}}},
        {L"Lone surrogate", RegValue{regtype::Sz, {0x00, 0xD8, 0, 0}}},
        {L"Expand", RegString(L"%SystemRoot%\\x", regtype::ExpandSz)},
        {L"Binary", RegValue{regtype::Binary, longBinary}},
        {L"No bytes", RegValue{regtype::Binary, {}}},
        {L"Dword", RegDword(0xFFFFFFFF)},
        {L"Short dword", RegValue{regtype::Dword, {1, 2}}},
        {L"Multi", RegMultiString({L"first", L"", L"third \"q\""})},
        {L"Qword", RegQword(0x8000000000000001ull)},
        {L"None", RegValue{regtype::None, {1}}},
        {L"Odd type", RegValue{0x12345678, {9, 8, 7}}},
        {L"\"quoted\\name\"", RegDword(1)},
        {L"@", RegDword(2)},
    };
    for (const auto& [name, value] : values)
        Write(L"Software\\Types", name, RegView::Native, value, RegRoot::CurrentUser);
    for (const auto& [name, value] : values) {
        const RegValue read = Read(RegRoot::CurrentUser, L"Software\\Types", name);
        EXPECT_EQ(read.type, value.type) << name;
        EXPECT_EQ(read.data, value.data) << name;
    }
    Names names;
    ASSERT_EQ(RegListValues(RegRoot::CurrentUser, L"Software\\Types", RegView::Native, names), err::Success);
    EXPECT_EQ(std::count(names.begin(), names.end(), L""), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), L"@"), 1);
}

TEST_F(Registry, ThirtyTwoBitViewOfHklmSoftwareIsWow6432Node)
{
    Write(L"Software\\App", L"V", RegView::View32, RegDword(32));
    Write(L"Software\\App", L"V", RegView::View64, RegDword(64));
    EXPECT_EQ(Read(HKLM, L"SOFTWARE\\WOW6432Node\\App", L"V").data, RegDword(32).data);
    EXPECT_EQ(Read(HKLM, L"SOFTWARE\\App", L"V").data, RegDword(64).data);
    // A key named in the 32-bit tree already is not redirected twice.
    EXPECT_EQ(Read(HKLM, L"SOFTWARE\\Wow6432Node\\App", L"V", RegView::View32).data, RegDword(32).data);
    // Other keys and roots have one view.
    Write(L"SYSTEM\\S", L"V", RegView::View32, RegDword(1));
    Write(L"Software\\U", L"V", RegView::View32, RegDword(2), RegRoot::CurrentUser);
    EXPECT_EQ(Read(HKLM, L"SYSTEM\\S", L"V", RegView::View64).data, RegDword(1).data);
    EXPECT_EQ(Read(RegRoot::CurrentUser, L"Software\\U", L"V", RegView::Native).data, RegDword(2).data);
    EXPECT_EQ(Subkeys(L"SOFTWARE"), (Names{L"App", L"WOW6432Node"}));
}

TEST_F(Registry, NamesIgnoreCaseKeepTheirFirstSpellingAndListSortedAndWritesCreateParents)
{
    Write(L"SOFTWARE\\MyApp", L"Version", RegView::Native, RegString(L"1"));
    Write(L"software\\MYAPP", L"VERSION", RegView::Native, RegString(L"2"));
    EXPECT_EQ(RegValueText(Read(HKLM, L"Software\\myapp\\", L"version")), L"2");
    EXPECT_EQ(Values(L"SOFTWARE\\MYAPP"), Names{L"Version"});
    for (const wchar_t* key : {L"SOFTWARE\\b\\deep\\er", L"SOFTWARE\\A", L"SOFTWARE\\c"})
        Write(key, L"v");
    for (const wchar_t* value : {L"b", L"C", L"a"})
        Write(L"SOFTWARE", value);
    EXPECT_TRUE(RegKeyExists(HKLM, L"SOFTWARE\\B\\Deep", RegView::Native));
    EXPECT_EQ(Subkeys(L"SOFTWARE"), (Names{L"A", L"b", L"c", L"MyApp"}));
    EXPECT_EQ(Values(L"SOFTWARE"), (Names{L"a", L"b", L"C"}));
    EXPECT_TRUE(Subkeys(L"SOFTWARE\\b\\deep\\er").empty());
}

TEST_F(Registry, DeletionsRemoveValuesAndWholeTrees)
{
    for (const wchar_t* key : {L"S\\K", L"S\\K\\Child", L"S\\Keep"})
        Write(key, L"v");
    EXPECT_EQ(RegDeleteValueOf(HKLM, L"S\\Keep", L"V", RegView::Native), err::Success);
    EXPECT_TRUE(Values(L"S\\Keep").empty());
    EXPECT_EQ(RegDeleteKeyTree(HKLM, L"s\\k", RegView::Native), err::Success);
    EXPECT_FALSE(RegKeyExists(HKLM, L"S\\K\\Child", RegView::Native));
    EXPECT_EQ(Subkeys(L"S"), Names{L"Keep"});

    EXPECT_EQ(RegDeleteValueOf(HKLM, L"S\\Keep", L"v", RegView::Native), err::FileNotFound);
    EXPECT_EQ(RegDeleteKeyTree(HKLM, L"S\\K", RegView::Native), err::FileNotFound);
    EXPECT_EQ(RegDeleteKeyTree(HKLM, L"", RegView::Native), err::AccessDenied);
}

TEST_F(Registry, AbsentKeysAndValuesAndMalformedPathsAreErrors)
{
    RegValue value;
    Names names;
    EXPECT_EQ(RegRead(HKLM, L"Nothing", L"v", RegView::Native, value), err::FileNotFound);
    EXPECT_EQ(RegListValues(RegRoot::Users, L"Nothing", RegView::Native, names), err::FileNotFound);
    Write(L"K", L"v");
    EXPECT_EQ(RegRead(HKLM, L"K", L"w", RegView::Native, value), err::FileNotFound);
    EXPECT_EQ(RegRead(RegRoot::CurrentConfig, L"K", L"v", RegView::Native, value), err::FileNotFound);

    EXPECT_EQ(RegWrite(HKLM, L"\\K", L"v", RegView::Native, RegDword(0)), err::BadPathname);
    EXPECT_EQ(RegWrite(HKLM, L"K\\\\L", L"v", RegView::Native, RegDword(0)), err::BadPathname);
    EXPECT_EQ(RegRead(HKLM, L"K\\\\", L"v", RegView::Native, value), err::BadPathname);
}

TEST_F(Registry, ThreadsWritingAtOnceLoseNothing)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 100; ++i)
                RegWrite(HKLM, L"SOFTWARE\\T", std::to_wstring(t * 100 + i), RegView::Native, RegDword(0));
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(Values(L"SOFTWARE\\T").size(), 400u);
}

}  // namespace
}  // namespace quen::platform
