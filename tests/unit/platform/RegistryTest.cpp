#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/Registry.h"

#include <thread>

namespace quen::platform {
namespace {

using Bytes = std::vector<uint8_t>;

class Registry : public quen::test::TestMachine {
protected:
    static RegValue Read(RegRoot root, const std::wstring& key, const std::wstring& name,
                         RegView view = RegView::Native)
    {
        RegValue value;
        EXPECT_EQ(RegRead(root, key, name, view, value), err::Success) << key << L" " << name;
        return value;
    }
    static std::vector<std::wstring> Values(const std::wstring& key)
    {
        std::vector<std::wstring> names;
        EXPECT_EQ(RegListValues(RegRoot::LocalMachine, key, RegView::Native, names), err::Success);
        return names;
    }
    static std::vector<std::wstring> Subkeys(const std::wstring& key)
    {
        std::vector<std::wstring> names;
        EXPECT_EQ(RegListSubkeys(RegRoot::LocalMachine, key, RegView::Native, names), err::Success);
        return names;
    }
};

TEST(RegistryValues, HelpersGiveTheWindowsBytes)
{
    EXPECT_EQ(RegString(L"a\u00e9").data, (Bytes{'a', 0, 0xE9, 0, 0, 0}));
    EXPECT_EQ(RegString(L"\U0001F600", regtype::ExpandSz).data, (Bytes{0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
    EXPECT_EQ(RegString(L"x", regtype::ExpandSz).type, regtype::ExpandSz);
    EXPECT_EQ(RegDword(0x1A2B3C4D).data, (Bytes{0x4D, 0x3C, 0x2B, 0x1A}));
    EXPECT_EQ(RegQword(0x0102030405060708ull).data, (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(RegMultiString({L"a", L"b"}).data, (Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
    EXPECT_EQ(RegMultiString({}).data, (Bytes{0, 0}));
}

TEST(RegistryValues, TextStopsAtTheFirstZeroAndComesOnlyFromStringTypes)
{
    EXPECT_EQ(RegValueText(RegValue{regtype::Sz, {'a', 0, 0, 0, 'b', 0}}), L"a");
    EXPECT_EQ(RegValueText(RegValue{regtype::ExpandSz, {'%', 0, 'X', 0, '%', 0}}), L"%X%");
    EXPECT_EQ(RegValueText(RegValue{regtype::Sz, {0x3D, 0xD8, 0x00, 0xDE, 'z'}}), L"\U0001F600");
    EXPECT_EQ(RegValueText(RegDword(0x41)), L"");
}

TEST_F(Registry, EveryTypeKeepsItsBytes)
{
    Bytes longBinary(300);
    for (std::size_t i = 0; i < longBinary.size(); ++i)
        longBinary[i] = static_cast<uint8_t>(i * 7);
    const std::vector<std::pair<std::wstring, RegValue>> values = {
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
        ASSERT_EQ(RegWrite(RegRoot::CurrentUser, L"Software\\Types", name, RegView::Native, value), err::Success)
            << name;
    for (const auto& [name, value] : values) {
        const RegValue read = Read(RegRoot::CurrentUser, L"Software\\Types", name);
        EXPECT_EQ(read.type, value.type) << name;
        EXPECT_EQ(read.data, value.data) << name;
    }
}

TEST_F(Registry, DefaultValueIsTheEmptyName)
{
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\Quen", L"", RegView::Native, RegString(L"default")), 0u);
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\Quen", L"@", RegView::Native, RegString(L"at")), 0u);
    EXPECT_EQ(RegValueText(Read(RegRoot::LocalMachine, L"SOFTWARE\\Quen", L"")), L"default");
    EXPECT_EQ(RegValueText(Read(RegRoot::LocalMachine, L"SOFTWARE\\Quen", L"@")), L"at");
    EXPECT_EQ(Values(L"SOFTWARE\\Quen"), (std::vector<std::wstring>{L"", L"@"}));
}

TEST_F(Registry, ThirtyTwoBitViewOfHklmSoftwareIsWow6432Node)
{
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"Software\\App", L"V", RegView::View32, RegDword(32)), 0u);
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"Software\\App", L"V", RegView::View64, RegDword(64)), 0u);
    EXPECT_EQ(Read(RegRoot::LocalMachine, L"SOFTWARE\\WOW6432Node\\App", L"V").data, RegDword(32).data);
    EXPECT_EQ(Read(RegRoot::LocalMachine, L"SOFTWARE\\App", L"V").data, RegDword(64).data);
    // A key named in the 32-bit tree already is not redirected twice.
    EXPECT_EQ(Read(RegRoot::LocalMachine, L"SOFTWARE\\Wow6432Node\\App", L"V", RegView::View32).data,
              RegDword(32).data);
    // Other keys and roots have one view.
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"SYSTEM\\S", L"V", RegView::View32, RegDword(1)), 0u);
    ASSERT_EQ(RegWrite(RegRoot::CurrentUser, L"Software\\U", L"V", RegView::View32, RegDword(2)), 0u);
    EXPECT_EQ(Read(RegRoot::LocalMachine, L"SYSTEM\\S", L"V", RegView::View64).data, RegDword(1).data);
    EXPECT_EQ(Read(RegRoot::CurrentUser, L"Software\\U", L"V", RegView::Native).data, RegDword(2).data);
    EXPECT_EQ(Subkeys(L"SOFTWARE"), (std::vector<std::wstring>{L"App", L"WOW6432Node"}));
}

TEST_F(Registry, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\MyApp", L"Version", RegView::Native, RegString(L"1")), 0u);
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"software\\MYAPP", L"VERSION", RegView::Native, RegString(L"2")), 0u);
    EXPECT_EQ(RegValueText(Read(RegRoot::LocalMachine, L"Software\\myapp\\", L"version")), L"2");
    EXPECT_EQ(Subkeys(L"SOFTWARE"), std::vector<std::wstring>{L"MyApp"});
    EXPECT_EQ(Values(L"SOFTWARE\\MYAPP"), std::vector<std::wstring>{L"Version"});
}

TEST_F(Registry, WritesCreateParentsAndListsSortIgnoringCase)
{
    for (const wchar_t* key : {L"S\\b\\deep\\er", L"S\\A", L"S\\c"})
        ASSERT_EQ(RegWrite(RegRoot::LocalMachine, key, L"v", RegView::Native, RegDword(0)), 0u);
    for (const wchar_t* value : {L"b", L"C", L"a"})
        ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"S", value, RegView::Native, RegDword(0)), 0u);
    EXPECT_TRUE(RegKeyExists(RegRoot::LocalMachine, L"S\\B\\Deep", RegView::Native));
    EXPECT_EQ(Subkeys(L"S"), (std::vector<std::wstring>{L"A", L"b", L"c"}));
    EXPECT_EQ(Values(L"S"), (std::vector<std::wstring>{L"a", L"b", L"C"}));
    EXPECT_TRUE(Subkeys(L"S\\b\\deep\\er").empty());
}

TEST_F(Registry, DeletionsRemoveValuesAndWholeTrees)
{
    for (const wchar_t* key : {L"S\\K", L"S\\K\\Child", L"S\\Keep"})
        ASSERT_EQ(RegWrite(RegRoot::LocalMachine, key, L"v", RegView::Native, RegDword(0)), 0u);
    EXPECT_EQ(RegDeleteValueOf(RegRoot::LocalMachine, L"S\\Keep", L"V", RegView::Native), err::Success);
    EXPECT_TRUE(Values(L"S\\Keep").empty());
    EXPECT_EQ(RegDeleteKeyTree(RegRoot::LocalMachine, L"s\\k", RegView::Native), err::Success);
    EXPECT_FALSE(RegKeyExists(RegRoot::LocalMachine, L"S\\K\\Child", RegView::Native));
    EXPECT_EQ(Subkeys(L"S"), std::vector<std::wstring>{L"Keep"});

    EXPECT_EQ(RegDeleteValueOf(RegRoot::LocalMachine, L"S\\Keep", L"v", RegView::Native), err::FileNotFound);
    EXPECT_EQ(RegDeleteKeyTree(RegRoot::LocalMachine, L"S\\K", RegView::Native), err::FileNotFound);
    EXPECT_EQ(RegDeleteKeyTree(RegRoot::LocalMachine, L"", RegView::Native), err::AccessDenied);
}

TEST_F(Registry, AbsentKeysAndValuesAndMalformedPathsAreErrors)
{
    RegValue value;
    std::vector<std::wstring> names;
    EXPECT_EQ(RegRead(RegRoot::LocalMachine, L"Nothing", L"v", RegView::Native, value), err::FileNotFound);
    EXPECT_EQ(RegListValues(RegRoot::Users, L"Nothing", RegView::Native, names), err::FileNotFound);
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"K", L"v", RegView::Native, RegDword(0)), 0u);
    EXPECT_EQ(RegRead(RegRoot::LocalMachine, L"K", L"w", RegView::Native, value), err::FileNotFound);
    EXPECT_EQ(RegRead(RegRoot::CurrentConfig, L"K", L"v", RegView::Native, value), err::FileNotFound);

    EXPECT_EQ(RegWrite(RegRoot::LocalMachine, L"\\K", L"v", RegView::Native, RegDword(0)), err::BadPathname);
    EXPECT_EQ(RegWrite(RegRoot::LocalMachine, L"K\\\\L", L"v", RegView::Native, RegDword(0)), err::BadPathname);
    EXPECT_EQ(RegRead(RegRoot::LocalMachine, L"K\\\\", L"v", RegView::Native, value), err::BadPathname);
}

TEST_F(Registry, ThreadsWritingAtOnceLoseNothing)
{
    constexpr int kThreads = 4;
    constexpr int kWrites = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kWrites; ++i)
                RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\T", std::to_wstring(t * kWrites + i), RegView::Native,
                         RegDword(static_cast<uint32_t>(i)));
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(Values(L"SOFTWARE\\T").size(), static_cast<std::size_t>(kThreads * kWrites));
}

}  // namespace
}  // namespace quen::platform
