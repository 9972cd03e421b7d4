// The registry's store files on POSIX: bytes, torn and corrupt files, concurrency, failed writes.
#include "fakes/TestMachine.h"
#include "fakes/posix/FaultInjection.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/posix/RegistryStore.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <iterator>
#include <thread>
#include <tuple>

#include <sys/wait.h>
#include <unistd.h>

namespace quen::platform::posix {
namespace {

using regfile::KeyPath;
using Data = std::optional<std::vector<uint8_t>>;

const std::string kFileStart = regfile::FileStart();
const KeyPath kQ{L"SOFTWARE", L"Q"};

std::string Bytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const std::filesystem::path& file, const std::string& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// The bytes of a value of SOFTWARE\Q as `store` sees them; none when absent.
Data DataIn(RegistryStore& store, const std::wstring& name)
{
    Data data;
    store.Read([&](const RegistryTree& tree) {
        const auto* key = tree.Find(kQ);
        const auto* known = key ? RegistryTree::FindValue(*key, name) : nullptr;
        if (known)
            data = known->value.data;
        return err::Success;
    });
    return data;
}

class RegistryStoreFile : public quen::test::TestMachine {
protected:
    std::filesystem::path File() const { return HostRoot() / "registry" / "HKLM.reg"; }

    // As another process sees it, from a fresh parse of the file.
    Data DataInFile(const std::wstring& name) const
    {
        RegistryStore store(File(), RegRoot::LocalMachine);
        return DataIn(store, name);
    }

    static void Write(const std::wstring& name, const RegValue& value, const std::wstring& key = L"SOFTWARE\\Q")
    {
        ASSERT_EQ(RegWrite(RegRoot::LocalMachine, key, name, RegView::Native, value), err::Success) << name;
    }
};

TEST_F(RegistryStoreFile, EachWriteAppendsOneSectionToTheFileOfItsRoot)
{
    const std::wstring key = L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n";
    Write(L"v", RegDword(1));
    Write(L"W", RegString(L"x"), L"software\\q");
    ASSERT_EQ(RegDeleteValueOf(RegRoot::LocalMachine, L"SOFTWARE\\Q", L"V", RegView::Native), 0u);
    ASSERT_EQ(RegDeleteKeyTree(RegRoot::LocalMachine, L"SOFTWARE\\q", RegView::Native), 0u);
    EXPECT_EQ(Bytes(File()), kFileStart + ToUtf16Le(key + L"\"v\"=dword:00000001\r\n\r\n" + key +
                                                    L"\"W\"=\"x\"\r\n\r\n" + key + L"\"v\"=-\r\n\r\n"
                                                    L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\r\n"));
}

TEST_F(RegistryStoreFile, ATornTailIsIgnoredAndCutOffByTheNextWriteAndAnUnparseableFileIsNeverWritten)
{
    const std::string keyLine = ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n");
    const std::string whole = kFileStart + keyLine + ToUtf16Le(L"\"v\"=dword:00000001\r\n\r\n");
    for (const auto& [kept, torn] : {std::pair{std::string(), ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\To")},
                                     {keyLine, ToUtf16Le(L"\"w\"=dword:0000") + "\x30"}}) {
        Put(File(), whole + kept + torn);
        RegistryStore store(File(), RegRoot::LocalMachine);
        EXPECT_EQ(DataIn(store, L"v"), RegDword(1).data);
        EXPECT_EQ(Bytes(File()), whole + kept + torn);
        ASSERT_EQ(store.SetValue(kQ, L"x", RegDword(2)), 0u);
        // A section that lacks its closing blank line gets one first.
        const std::string separator = kept.empty() ? "" : ToUtf16Le(L"\r\n");
        EXPECT_EQ(Bytes(File()), whole + kept + separator + keyLine + ToUtf16Le(L"\"x\"=dword:00000002\r\n\r\n"));
        EXPECT_TRUE(LogContains(L"ends with an incomplete write of " + std::to_wstring(torn.size()) + L" bytes"));
    }
    // A file cut short in its first line was being created: it starts afresh.
    const std::size_t lineEnd = 2 + ToUtf16Le(regfile::kHeader).size();
    for (const std::size_t cut : {std::size_t{8}, lineEnd + 1, lineEnd + 3}) {
        Put(File(), kFileStart.substr(0, cut));
        ASSERT_EQ(RegistryStore(File(), RegRoot::LocalMachine).SetValue(kQ, L"v", RegDword(1)), 0u) << cut;
        EXPECT_EQ(Bytes(File()), whole) << cut;
    }

    const std::string content = kFileStart + ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\X]\r\n\"v\"=hex:0g\r\n");
    Put(File(), content);
    RegistryStore store(File(), RegRoot::LocalMachine);
    EXPECT_EQ(store.Read([](const RegistryTree&) { return err::Success; }), err::RegistryCorrupt);
    EXPECT_EQ(store.SetValue({L"X"}, L"c", RegDword(3)), err::RegistryCorrupt);
    EXPECT_EQ(Bytes(File()), content);
    // No whole run meets a corrupt store, so its Error line is checked here.
    EXPECT_TRUE(LogContains(FromUtf8Lossy(File().string()) + L" cannot be parsed at line 4: "));
    Put(File(), kFileStart);
    EXPECT_EQ(RegWrite(RegRoot::LocalMachine, L"X", L"c", RegView::Native, RegDword(3)), err::Success);
}

// Each writer rewrites its values often enough that the store is compacted while the others append.
TEST_F(RegistryStoreFile, TwoProcessesWritingFromTwoThreadsEachLoseNoValueThroughCompactions)
{
    const auto name = [](int writer, uint32_t i) { return std::to_wstring(writer) + L"-" + std::to_wstring(i % 20); };
    const auto writeMany = [&](int writer) {
        bool written = true;
        for (uint32_t i = 0; i < 500; ++i)
            written &= RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\Q", name(writer, i), RegView::Native,
                                RegString(std::wstring(200, L'x') + std::to_wstring(i))) == err::Success;
        return written;
    };
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        if ((children[child] = ::fork()) == 0) {
            bool odd = false;
            std::thread other([&] { odd = writeMany(2 * child + 1); });
            const bool even = writeMany(2 * child);
            other.join();
            ::_exit(odd && even ? 0 : 1);
        }
    }
    for (const pid_t pid : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_EQ(status, 0);
    }
    EXPECT_LT(std::filesystem::file_size(File()), 200u * 1024);
    RegistryStore store(File(), RegRoot::LocalMachine);
    for (int writer = 0; writer < 4; ++writer) {
        for (uint32_t i = 480; i < 500; ++i)
            EXPECT_EQ(DataIn(store, name(writer, i)), RegString(std::wstring(200, L'x') + std::to_wstring(i)).data);
    }
}

TEST_F(RegistryStoreFile, AWriteFailingAtAnyStepKeepsEveryEarlierValueAndTheStoreWritable)
{
    for (uint32_t i = 0; i < 5; ++i)
        Write(L"e" + std::to_wstring(i), RegDword(i));
    const std::string earlier = Bytes(File());
    // Three rewrites of a 40 KB value: the fourth makes the store compact.
    const auto big = [](wchar_t fill) { return RegString(std::wstring(20000, fill)); };
    for (const wchar_t fill : {L'a', L'b', L'c'})
        Write(L"big", big(fill));
    // Each case: the file before (none: no file yet), the value, the file operations of the write.
    const std::tuple<const char*, std::optional<std::string>, std::wstring, RegValue, uint64_t> cases[] = {
        {"first write", std::nullopt, L"n", RegDword(7), 4},
        {"append", earlier, L"n", RegDword(7), 2},
        {"append after a torn write", earlier + ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\T"), L"n", RegDword(7), 3},
        {"append that compacts", Bytes(File()), L"big", big(L'd'), 6},
    };
    for (const auto& [what, file, name, value, steps] : cases) {
        const auto reset = [&, &file = file] {
            std::filesystem::remove(File());
            if (file)
                Put(File(), *file);
        };
        reset();
        const Data old = DataInFile(name);
        test::ArmFileSystemFault(0, ENOSPC);
        ASSERT_EQ(RegistryStore(File(), RegRoot::LocalMachine).SetValue(kQ, name, value), err::Success);
        EXPECT_EQ(test::DisarmFileSystemFault(), steps) << what;
        for (uint64_t failAt = 1; failAt <= steps; ++failAt) {
            SCOPED_TRACE(testing::Message() << what << ", step " << failAt << " of " << steps);
            reset();
            RegistryStore store(File(), RegRoot::LocalMachine);
            DataIn(store, name);  // the store is loaded, as in a process that has read it
            test::ArmFileSystemFault(failAt, ENOSPC);
            const uint32_t result = store.SetValue(kQ, name, value);
            test::DisarmFileSystemFault();
            // The write happened exactly when it says so; nothing else changed.
            RegistryStore fresh(File(), RegRoot::LocalMachine);
            for (RegistryStore* reader : {&store, &fresh}) {
                for (uint32_t i = 0; file && i < 5; ++i)
                    EXPECT_EQ(DataIn(*reader, L"e" + std::to_wstring(i)), RegDword(i).data);
                EXPECT_EQ(DataIn(*reader, name), result == err::Success ? Data(value.data) : old);
            }
            ASSERT_EQ(store.SetValue(kQ, L"after", RegDword(1)), err::Success);
            EXPECT_EQ(DataInFile(L"after"), RegDword(1).data);
        }
    }
}

}  // namespace
}  // namespace quen::platform::posix
