// The registry store files' text as `reg import` accepts it and `reg export` writes it.
#include "platform/personality/RegFile.h"
#include "platform/personality/RegistryTree.h"

#include "foundation/WideString.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <tuple>

namespace quen::platform::personality {
namespace {

std::string File(const std::wstring& text) { return std::string(kUtf16LeBom) + ToUtf16Le(text); }

// The content `bytes` describe, written out without the file's start; or "line N" for a refused file.
std::wstring Rewritten(const std::string& bytes)
{
    struct Sink final : regfile::ParseSink {
        void OnKey(const regfile::KeyPath& key) override { cursor = &tree.Create(key); }
        void OnKeyDeletion(const regfile::KeyPath& key) override { tree.DeleteTree(key); }
        void OnValue(const std::wstring& name, RegValue value) override { tree.SetValue(*cursor, name, value); }
        void OnValueDeletion(const std::wstring& name) override { tree.DeleteValue(*cursor, name); }
        RegistryTree tree{RegRoot::LocalMachine};
        RegistryTree::Key* cursor = nullptr;
    } sink;
    regfile::Parser parser(RegRoot::LocalMachine);
    std::size_t consumed = 0;
    regfile::ParseError error;
    if (!parser.Parse(bytes, sink, consumed, error))
        return L"line " + std::to_wstring(error.line);
    const std::string out = sink.tree.Serialize();
    EXPECT_EQ(sink.tree.LiveBytes(), out.size());  // what decides when a store is compacted
    return FromUtf16Le(std::string_view(out).substr(regfile::FileStart().size()));
}

TEST(RegFile, ReadsWhatRegImportAcceptsWritesItAsRegExportDoesAndRefusesAMalformedLineByNumber)
{
    std::ifstream in(QUEN_TEST_DATA_DIR "/registry/small-store.reg", std::ios::binary);
    const std::string exported((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(exported.empty());
    const std::wstring start = L"Windows Registry Editor Version 5.00\r\n\r\n";
    const std::wstring x = L"[HKEY_LOCAL_MACHINE\\X]\r\n";
    const std::tuple<const char*, std::string, std::wstring> rows[] = {
        {"reg export's own layout", exported, FromUtf16Le(exported.substr(regfile::FileStart().size()))},
        {"escapes", File(start + x + L"\"a\\\\\\\"b\"=\"C:\\\\x \\\"q\\\"\"\r\n"),
         x + L"\"a\\\\\\\"b\"=\"C:\\\\x \\\"q\\\"\"\r\n\r\n"},
        {"hand-written forms",
         File(L"Windows Registry Editor Version 5.00\n; by hand\n[hkey_local_machine\\x]\n\"Short\"=dword:1f\n"
              L"\"Upper\"=DWORD:0000000A\n  \"Spaced\" = \"x\"\n\"Wrapped\"=hex:01,02,\\\n   03, 04\n\n"
              L"\"After blank\"=hex(0):\n[HKEY_LOCAL_MACHINE\\X]\n\"upper\"=-\n"),
         L"[HKEY_LOCAL_MACHINE\\x]\r\n\"Short\"=dword:0000001f\r\n\"Spaced\"=\"x\"\r\n\"Wrapped\"=hex:01,02,03,04\r\n"
         L"\"After blank\"=hex(0):\r\n\r\n"},
        {"key deleted with its subkeys",
         File(start + L"[HKEY_LOCAL_MACHINE\\A\\Sub]\r\n\"v\"=dword:1\r\n[-HKEY_LOCAL_MACHINE\\a]\r\n" + x),
         x + L"\r\n"},
        {"last line cut short", File(start + x + L"\"v\"=dword:1\r\n\"w\"=dword:2"),
         x + L"\"v\"=dword:00000001\r\n\r\n"},
        {"wrapped value cut short", File(start + x + L"\"v\"=hex:01,\\\r\n"), x + L"\r\n"},
        {"first line cut short", File(L"Windows Registry"), L""},
        {"no byte-order mark", "Windows Registry Editor Version 5.00\r\n", L"line 1"},
        {"header running on", File(L"Windows Registry Editor Version 5.00 and no line end"), L"line 1"},
        {"value before a key", File(start + L"\"v\"=dword:1\r\n"), L"line 3"},
        {"other root", File(start + L"[HKEY_CURRENT_USER\\X]\r\n"), L"line 3"},
        {"empty key name", File(start + L"[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n"), L"line 3"},
        {"unclosed key", File(start + L"[HKEY_LOCAL_MACHINE\\X\r\n"), L"line 3"},
        {"no key or value", File(start + L"garbage\r\n"), L"line 3"},
        {"bad hex digit", File(start + x + L"\"v\"=hex:0g\r\n"), L"line 4"},
        {"qword", File(start + x + L"\"v\"=qword:1\r\n"), L"line 4"},
        {"nine dword digits", File(start + x + L"\"v\"=dword:123456789\r\n"), L"line 4"},
        {"lone backslash", File(start + x + L"\"v\"=\"C:\\Windows\"\r\n"), L"line 4"},
        {"unclosed text", File(start + x + L"\"v\"=\"open\r\n"), L"line 4"},
        {"no equals sign", File(start + x + L"\"v\" \"x\"\r\n"), L"line 4"},
        {"value of a deleted key", File(start + L"[-HKEY_LOCAL_MACHINE\\X]\r\n\"v\"=dword:1\r\n"), L"line 4"},
        {"wrapped line counted from its value",
         File(start + x + L"\"a\"=dword:1\r\n\r\n" + x + L"\"b\"=hex:01,\\\r\n  zz\r\n\r\n" + x), L"line 7"},
    };
    for (const auto& [label, bytes, expected] : rows) {
        SCOPED_TRACE(label);
        EXPECT_EQ(Rewritten(bytes), expected);
    }
}

}  // namespace
}  // namespace quen::platform::personality
