// The store files behind the registry on POSIX: their bytes, reopening,
// torn and corrupt files, compaction, concurrent processes, and writes that
// fail or are killed part-way.
#include "fakes/TestMachine.h"
#include "fakes/posix/FaultInjection.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/posix/RegistryStore.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <optional>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace quen::platform::posix {
namespace {

using regfile::KeyPath;
using test::ArmFileSystemFault;
using test::DisarmFileSystemFault;

const std::string kBom(kUtf16LeBom);
const std::string kFileStart = kBom + ToUtf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n");

std::string Bytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void Put(const std::filesystem::path& file, const std::string& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

class RegistryStoreFile : public quen::test::TestMachine {
protected:
    std::filesystem::path File(const char* name = "HKLM.reg") const { return HostRoot() / "registry" / name; }

    // A fresh parse of the file, as another process would make it.
    static RegValue ReadFresh(const std::filesystem::path& file, const KeyPath& key, const std::wstring& name)
    {
        RegistryStore store(file, RegRoot::LocalMachine);
        RegValue value;
        EXPECT_EQ(Read(store, key, name, value), err::Success) << name;
        return value;
    }

    static uint32_t Read(RegistryStore& store, const KeyPath& key, const std::wstring& name, RegValue& value)
    {
        return store.Read([&](const RegistryTree& tree) {
            const auto* found = tree.Find(key);
            const RegistryTree::Value* known = found ? RegistryTree::FindValue(*found, name) : nullptr;
            if (known)
                value = known->value;
            return known ? err::Success : err::FileNotFound;
        });
    }

    static void Write(const std::wstring& key, const std::wstring& name, const RegValue& value,
                      RegView view = RegView::Native)
    {
        ASSERT_EQ(RegWrite(RegRoot::LocalMachine, key, name, view, value), err::Success) << key << L" " << name;
    }
};

TEST_F(RegistryStoreFile, EachRootHasAFileAndEachWriteAppendsOneSection)
{
    Write(L"SOFTWARE\\Q", L"v", RegDword(1));
    EXPECT_EQ(Bytes(File()), kFileStart + ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\"v\"=dword:00000001\r\n\r\n"));
    Write(L"software\\q", L"W", RegString(L"x"));
    ASSERT_EQ(RegDeleteValueOf(RegRoot::LocalMachine, L"SOFTWARE\\Q", L"V", RegView::Native), 0u);
    ASSERT_EQ(RegDeleteKeyTree(RegRoot::LocalMachine, L"SOFTWARE\\q", RegView::Native), 0u);
    EXPECT_EQ(Bytes(File()), kFileStart + ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\"v\"=dword:00000001\r\n\r\n"
                                                L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\"W\"=\"x\"\r\n\r\n"
                                                L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\"v\"=-\r\n\r\n"
                                                L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\r\n"));

    for (const auto& [root, name] : {std::pair{RegRoot::ClassesRoot, "HKCR.reg"}, {RegRoot::CurrentUser, "HKCU.reg"},
                                     {RegRoot::Users, "HKU.reg"}, {RegRoot::CurrentConfig, "HKCC.reg"}}) {
        ASSERT_EQ(RegWrite(root, L"K", L"", RegView::Native, RegString(L"d")), 0u);
        EXPECT_EQ(Bytes(File(name)), kFileStart + ToUtf16Le(L"[" + std::wstring(regfile::RootName(root)) +
                                                         L"\\K]\r\n@=\"d\"\r\n\r\n"));
    }
}

TEST_F(RegistryStoreFile, CompactedStoreHasTheLayoutOfRegExportAndReopensAlike)
{
    const std::wstring quen = L"SOFTWARE\\Quen Corporation";
    std::vector<uint8_t> data(40);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    Write(quen, L"Count", RegDword(1));
    Write(quen, L"", RegString(L"Recovery"));
    Write(quen, L"Path", RegString(L"C:\\Program Files\\Quen \"Care\""));
    Write(quen, L"Expand", RegString(L"%SystemRoot%", regtype::ExpandSz));
    Write(quen, L"Data", RegValue{regtype::Binary, data});
    Write(quen, L"List", RegMultiString({L"a", L"b"}));
    Write(quen, L"Big", RegQword(0x0123456789ABCDEFull));
    Write(quen, L"Lines", RegString(L"a\r\nb"));
    Write(quen, L"Gone", RegDword(0));
    ASSERT_EQ(RegDeleteValueOf(RegRoot::LocalMachine, quen, L"gone", RegView::Native), 0u);
    Write(L"software\\quen corporation\\Installed Software\\Modules\\Driver 123", L"DetailedVersion",
          RegString(L"1.0"));
    Write(quen + L"\\Installed Software\\Modules\\Driver 123", L"InstallMode", RegString(L"Recovery"));
    Write(quen + L"\\Obsolete\\Sub", L"x", RegDword(0));
    ASSERT_EQ(RegDeleteKeyTree(RegRoot::LocalMachine, quen + L"\\Obsolete", RegView::Native), 0u);
    Write(L"SOFTWARE\\Quen", L"Bits", RegDword(32), RegView::View32);
    Write(quen, L"COUNT", RegDword(42));

    // A fresh parse of the appended sections, written out alone.
    ASSERT_EQ(RegistryStore(File(), RegRoot::LocalMachine).Compact(), 0u);
    const std::string golden = Bytes(QUEN_TEST_DATA_DIR "/registry/small-store.reg");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(Bytes(File()), golden);
    ASSERT_EQ(RegistryStore(File(), RegRoot::LocalMachine).Compact(), 0u);
    EXPECT_EQ(Bytes(File()), golden);

    // The process's own cached store notices the replaced file.
    Write(quen, L"After", RegDword(7));
    EXPECT_EQ(ReadFresh(File(), {L"SOFTWARE", L"Quen Corporation"}, L"After").data, RegDword(7).data);
    EXPECT_EQ(ReadFresh(File(), {L"SOFTWARE", L"QUEN CORPORATION"}, L"count").data, RegDword(42).data);
}

TEST_F(RegistryStoreFile, TornTailIsIgnoredAndCutOffByTheNextWrite)
{
    // The whole lines of a torn write count; its incomplete last line does not.
    const std::string keyLine = ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n");
    const std::pair<std::string, std::string> tails[] = {
        {"", ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\To")},
        {keyLine, ToUtf16Le(L"\"Data\"=hex:01,02,\\\r\n")},
        {keyLine, ToUtf16Le(L"\"w\"=dword:0000") + "\x30"},
    };
    const KeyPath q{L"SOFTWARE", L"Q"};
    const std::string whole = kFileStart + keyLine + ToUtf16Le(L"\"v\"=dword:00000001\r\n\r\n");
    for (const auto& [kept, torn] : tails) {
        Put(File(), whole + kept + torn);
        RegistryStore store(File(), RegRoot::LocalMachine);
        RegValue value;
        EXPECT_EQ(Read(store, q, L"v", value), err::Success);
        EXPECT_EQ(Read(store, q, L"Data", value), err::FileNotFound);
        EXPECT_EQ(Read(store, q, L"w", value), err::FileNotFound);
        EXPECT_EQ(Bytes(File()), whole + kept + torn);

        ASSERT_EQ(store.SetValue(q, L"x", RegDword(2)), 0u);
        const std::string separator = kept.empty() ? "" : ToUtf16Le(L"\r\n");
        EXPECT_EQ(Bytes(File()), whole + kept + separator + keyLine + ToUtf16Le(L"\"x\"=dword:00000002\r\n\r\n"));
        // No whole run meets a torn file: its warning is checked here.
        EXPECT_TRUE(LogContains(L"ends with an incomplete write of " + std::to_wstring(torn.size()) + L" bytes"));
    }

    // A file cut short in its first line, its line end included, was being
    // created: it starts afresh.
    const std::size_t lineEnd = 2 + ToUtf16Le(L"Windows Registry Editor Version 5.00").size();
    for (const std::size_t cut : {2 + ToUtf16Le(L"Windows Registry").size(), lineEnd + 1, lineEnd + 3}) {
        Put(File(), kFileStart.substr(0, cut));
        RegistryStore store(File(), RegRoot::LocalMachine);
        ASSERT_EQ(store.SetValue(q, L"v", RegDword(1)), 0u) << cut;
        EXPECT_EQ(Bytes(File()), whole) << cut;
    }
}

TEST_F(RegistryStoreFile, UnparseableFileIsReportedAndNeverWritten)
{
    // The file's bytes from its lines after the header line.
    const auto file = [](const std::wstring& lines) {
        return "\xFF\xFE" + ToUtf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n" + lines);
    };
    const std::wstring key = L"[HKEY_LOCAL_MACHINE\\X]\r\n";
    const std::pair<std::string, int> cases[] = {
        {"Windows Registry Editor Version 5.00\r\n", 1},
        {"\xFF\xFE" + ToUtf16Le(L"REGEDIT4\r\n"), 1},
        {"\xFF\xFE" + ToUtf16Le(L"Windows Registry Editor Version 5.00 and no line end"), 1},
        {file(L"\"v\"=dword:1\r\n"), 3},
        {file(L"[HKEY_CURRENT_USER\\X]\r\n"), 3},
        {file(L"[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n"), 3},
        {file(L"[HKEY_LOCAL_MACHINE\\X\r\n"), 3},
        {file(L"garbage\r\n"), 3},
        {file(key + L"\"v\"=hex:0g\r\n"), 4},
        {file(key + L"\"v\"=qword:1\r\n"), 4},
        {file(key + L"\"v\"=dword:123456789\r\n"), 4},
        {file(key + L"\"v\"=\"C:\\Windows\"\r\n"), 4},
        {file(key + L"\"v\"=\"open\r\n"), 4},
        {file(key + L"\"v\" \"x\"\r\n"), 4},
        {file(L"[-HKEY_LOCAL_MACHINE\\X]\r\n\"v\"=dword:1\r\n"), 4},
        {file(key + L"\"a\"=dword:1\r\n\r\n" + key + L"\"b\"=hex:01,\\\r\n  zz\r\n\r\n" + key), 7},
    };
    for (const auto& [content, line] : cases) {
        Put(File(), content);
        RegistryStore store(File(), RegRoot::LocalMachine);
        RegValue value;
        EXPECT_EQ(Read(store, {L"X"}, L"a", value), err::RegistryCorrupt) << line;
        EXPECT_EQ(store.SetValue({L"X"}, L"c", RegDword(3)), err::RegistryCorrupt) << line;
        EXPECT_EQ(store.Compact(), err::RegistryCorrupt) << line;
        EXPECT_EQ(Bytes(File()), content) << line;
        // The Error line is where the file and the line show; no whole run meets it.
        EXPECT_TRUE(LogContains(FromUtf8Lossy(File().string()) + L" cannot be parsed at line " +
                                std::to_wstring(line) + L": "))
            << line;
    }

    // Repaired by hand, the file is used again.
    Put(File(), kFileStart);
    EXPECT_EQ(RegWrite(RegRoot::LocalMachine, L"X", L"c", RegView::Native, RegDword(3)), err::Success);
}

TEST_F(RegistryStoreFile, ReadsWhatRegImportAccepts)
{
    Put(File(), kBom + ToUtf16Le(L"Windows Registry Editor Version 5.00\n"
                                   L"; written by hand\n"
                                   L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Hand]\n"
                                   L"\"Short\"=dword:1f\n"
                                   L"\"Upper\"=DWORD:0000000A\n"
                                   L"  \"Spaced\" = \"x\"\n"
                                   L"\"Wrapped\"=hex:01,02,\\\n"
                                   L"   03, 04\n"
                                   L"\n"
                                   L"\"After blank\"=hex(0):\n"
                                   L"[hkey_local_machine\\SOFTWARE\\Gone\\Sub]\n"
                                   L"[-HKEY_LOCAL_MACHINE\\software\\gone]\n"
                                   L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\HAND]\n"
                                   L"\"upper\"=-\n"
                                   L"\"Last\"=\"no blank line follows\"\n"));
    const KeyPath hand{L"SOFTWARE", L"hand"};
    EXPECT_EQ(ReadFresh(File(), hand, L"Short").data, RegDword(0x1F).data);
    EXPECT_EQ(ReadFresh(File(), hand, L"Spaced").data, RegString(L"x").data);
    EXPECT_EQ(ReadFresh(File(), hand, L"Wrapped").data, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(ReadFresh(File(), hand, L"After blank").type, regtype::None);
    EXPECT_EQ(RegValueText(ReadFresh(File(), hand, L"Last")), L"no blank line follows");

    RegistryStore store(File(), RegRoot::LocalMachine);
    RegValue value;
    EXPECT_EQ(Read(store, hand, L"Upper", value), err::FileNotFound);
    EXPECT_EQ(store.Read([](const RegistryTree& tree) { return tree.Find({L"SOFTWARE", L"Gone"}) ? 1u : 0u; }), 0u);
    // The next section keeps the blank line that separates sections.
    const std::string before = Bytes(File());
    ASSERT_EQ(store.SetValue(hand, L"New", RegDword(1)), 0u);
    EXPECT_EQ(Bytes(File()),
              before + ToUtf16Le(L"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Hand]\r\n\"New\"=dword:00000001\r\n\r\n"));
}

TEST_F(RegistryStoreFile, RewritingOneValueKeepsTheFileSmall)
{
    const std::wstring big(2000, L'x');
    for (int i = 0; i < 200; ++i)
        Write(L"SOFTWARE\\Q", L"v", RegString(big + std::to_wstring(i)));
    // Appended whole, 200 sections of about 4 KB would take 800 KB.
    EXPECT_LT(std::filesystem::file_size(File()), 80u * 1024);
    EXPECT_EQ(RegValueText(ReadFresh(File(), {L"SOFTWARE", L"Q"}, L"v")), big + L"199");
}

TEST_F(RegistryStoreFile, TwoProcessesWritingAtOnceLoseNoValue)
{
    constexpr uint32_t kWrites = 1000;
    const auto name = [](int child, uint32_t i) { return std::to_wstring(child) + L"-" + std::to_wstring(i); };
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            bool written = true;
            for (uint32_t i = 0; i < kWrites; ++i)
                written &= RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\Shared", name(child, i), RegView::Native,
                                    RegDword(i)) == err::Success;
            ::_exit(written ? 0 : 1);
        }
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegistryStore store(File(), RegRoot::LocalMachine);
    RegValue value;
    for (int child = 0; child < 2; ++child) {
        for (uint32_t i = 0; i < kWrites; ++i) {
            ASSERT_EQ(Read(store, {L"SOFTWARE", L"Shared"}, name(child, i), value), err::Success) << name(child, i);
            EXPECT_EQ(value.data, RegDword(i).data);
        }
    }
}

TEST_F(RegistryStoreFile, AWriteFailingAtAnyStepKeepsEveryEarlierValueAndTheStoreWritable)
{
    const KeyPath q{L"SOFTWARE", L"Q"};
    for (uint32_t i = 0; i < 5; ++i)
        Write(L"SOFTWARE\\Q", L"e" + std::to_wstring(i), RegDword(i));
    const std::string earlier = Bytes(File());
    // Three rewrites of a 40 KB value: the fourth makes the store compact.
    const auto big = [](wchar_t fill) { return RegString(std::wstring(20000, fill)); };
    for (const wchar_t fill : {L'a', L'b', L'c'})
        Write(L"SOFTWARE\\Q", L"big", big(fill));
    const std::string nearCompaction = Bytes(File());

    struct Case {
        const char* what;
        std::optional<std::string> file;  // none: no file yet
        std::wstring name;
        RegValue value;
        uint64_t steps;  // writes, flushes, cuts and renames, each done before the write returns
    };
    const Case cases[] = {
        {"first write", std::nullopt, L"n", RegDword(7), 4},
        {"append", earlier, L"n", RegDword(7), 2},
        {"append after a torn write", earlier + ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\T"), L"n", RegDword(7), 3},
        {"append that compacts", nearCompaction, L"big", big(L'd'), 6},
    };
    using Data = std::optional<std::vector<uint8_t>>;
    const auto dataIn = [&](RegistryStore& store, const std::wstring& name) {
        RegValue value;
        return Read(store, q, name, value) == err::Success ? Data(value.data) : std::nullopt;
    };
    for (const Case& c : cases) {
        const auto reset = [&] {
            std::filesystem::remove(File());
            if (c.file)
                Put(File(), *c.file);
        };
        reset();
        RegistryStore before(File(), RegRoot::LocalMachine);
        const Data old = dataIn(before, c.name);
        ArmFileSystemFault(0, ENOSPC);
        ASSERT_EQ(RegistryStore(File(), RegRoot::LocalMachine).SetValue(q, c.name, c.value), err::Success);
        const uint64_t steps = DisarmFileSystemFault();
        EXPECT_EQ(steps, c.steps) << c.what;
        for (uint64_t failAt = 1; failAt <= steps; ++failAt) {
            SCOPED_TRACE(testing::Message() << c.what << ", step " << failAt << " of " << steps);
            reset();
            RegistryStore store(File(), RegRoot::LocalMachine);
            dataIn(store, c.name);  // the store is loaded, as in a process that has read it
            ArmFileSystemFault(failAt, ENOSPC);
            const uint32_t result = store.SetValue(q, c.name, c.value);
            DisarmFileSystemFault();

            // The write happened exactly when it says so; nothing else changed.
            RegistryStore fresh(File(), RegRoot::LocalMachine);
            for (RegistryStore* reader : {&store, &fresh}) {
                for (uint32_t i = 0; c.file && i < 5; ++i)
                    EXPECT_EQ(dataIn(*reader, L"e" + std::to_wstring(i)), RegDword(i).data);
                EXPECT_EQ(dataIn(*reader, c.name), result == err::Success ? Data(c.value.data) : old);
            }
            ASSERT_EQ(store.SetValue(q, L"after", RegDword(1)), err::Success);
            EXPECT_EQ(ReadFresh(File(), q, L"after").data, RegDword(1).data);
        }
    }
}

TEST_F(RegistryStoreFile, AWriterKilledAtAnyMomentLeavesEveryConfirmedValueReadable)
{
    const KeyPath q{L"SOFTWARE", L"Q"};
    // Unique small values, and one 16 KB value rewritten every other write so
    // that the store compacts now and then: a kill lands in appends, cuts and
    // compactions alike.
    const auto valueOf = [](int round, uint32_t i) {
        return i % 2 ? RegString(L"big " + std::to_wstring(i) + std::wstring(8000, L'x'))
                     : RegString(std::wstring(i % 97, L'v') + std::to_wstring(round));
    };
    const auto nameOf = [](int round, uint32_t i) {
        return i % 2 ? std::wstring(L"big") : L"r" + std::to_wstring(round) + L"-" + std::to_wstring(i);
    };
    std::vector<uint32_t> confirmedPerRound;
    for (const uint32_t killAfter : {1u, 6u, 17u, 40u, 90u}) {
        const int round = static_cast<int>(confirmedPerRound.size());
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryStore store(File(), RegRoot::LocalMachine);
            for (uint32_t i = 0;; ++i) {
                if (store.SetValue(q, nameOf(round, i), valueOf(round, i)) != err::Success ||
                    ::write(pipeFds[1], &i, sizeof i) != sizeof i)
                    ::_exit(1);
            }
        }
        ::close(pipeFds[1]);
        // Each confirmation follows a write that returned: the kill comes
        // while the child is somewhere in its next writes.
        uint32_t confirmed = 0;
        for (uint32_t reads = 0; reads < killAfter; ++reads)
            ASSERT_EQ(::read(pipeFds[0], &confirmed, sizeof confirmed), static_cast<ssize_t>(sizeof confirmed));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        for (uint32_t more; ::read(pipeFds[0], &more, sizeof more) == sizeof more;)
            confirmed = more;
        ::close(pipeFds[0]);
        confirmedPerRound.push_back(confirmed);

        // Every round's confirmed values, in a fresh load of the store.
        RegistryStore store(File(), RegRoot::LocalMachine);
        RegValue value;
        for (int r = 0; r <= round; ++r) {
            for (uint32_t i = 0; i <= confirmedPerRound[r]; i += 2) {
                ASSERT_EQ(Read(store, q, nameOf(r, i), value), err::Success) << r << " " << i;
                EXPECT_EQ(value.data, valueOf(r, i).data);
            }
        }
        // The big value is the last confirmed one or the one after it.
        const uint32_t lastBig = confirmed % 2 ? confirmed : confirmed - 1;
        if (confirmed >= 1) {
            ASSERT_EQ(Read(store, q, L"big", value), err::Success);
            EXPECT_TRUE(value.data == valueOf(round, lastBig).data || value.data == valueOf(round, lastBig + 2).data);
        }
        ASSERT_EQ(store.SetValue(q, L"after", RegDword(static_cast<uint32_t>(round))), err::Success);
    }
}

}  // namespace
}  // namespace quen::platform::posix
