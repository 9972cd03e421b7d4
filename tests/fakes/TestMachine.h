// A fresh machine for each test: a temporary machine root (on Linux), no
// drive mappings, C:\ as current directory, an empty scratch folder, and a
// registry of its own (on Windows: private HKLM and HKCU roots).
#pragma once

#include <quen/Logging.h>
#include <quen/Machine.h>

#include "platform/DiskSpace.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quen::test {

// A unique temporary host folder, removed with its content on destruction.
class TempHostDir {
public:
    TempHostDir();
    ~TempHostDir();
    TempHostDir(const TempHostDir&) = delete;
    TempHostDir& operator=(const TempHostDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

class TestMachine : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The scratch folder as a Windows path, with a trailing backslash.
    const std::wstring& Dir() const { return m_dir; }
    // The host folder that holds the machine (the root on Linux).
    const std::filesystem::path& HostRoot() const { return m_root.Path(); }
    // False on Windows, where the machine is the real one: tests of the
    // machine folder's own layout skip there.
    static bool HasMachineRoot() { return !MachineRoot().empty(); }
    std::filesystem::path Host(const std::wstring& windowsPath) const { return HostPath(windowsPath); }

    // Writes a file (and its folders) by Windows path.
    void WriteFile(const std::wstring& windowsPath, const std::string& content) const;
    std::string ReadFile(const std::wstring& windowsPath) const;

    // Log lines written since SetUp.
    std::vector<std::wstring> LogTexts() const { return m_log->Texts(); }
    bool LogContains(const std::wstring& text) const;

private:
    TempHostDir m_root;
    std::wstring m_registryKey;
    std::wstring m_dir;
    std::shared_ptr<CMemoryLogSink> m_log;
};

// A test machine whose installer work root is cleared around each test: on
// Windows it is the machine's own, shared by every run of these tests.
class WorkRootMachine : public TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        RemoveWorkRoot();
    }
    void TearDown() override
    {
        RemoveWorkRoot();
        TestMachine::TearDown();
    }

    static std::wstring WorkRoot() { return platform::WindowsDir() + L"\\Temp\\Quen\\"; }

private:
    // Without the trailing backslash, so a file in its place goes too.
    void RemoveWorkRoot() const
    {
        std::error_code ignored;
        std::filesystem::remove_all(Host(WorkRoot().substr(0, WorkRoot().size() - 1)), ignored);
    }
};

// Windows (on POSIX each machine root has a registry of its own): redirects
// HKLM and HKCU to the subkeys HKLM and HKCU of HKCU\<privateKey>, which
// `isolate` false deletes after restoring both roots; a Win32 error code.
uint32_t RegIsolateRoots(const std::wstring& privateKey, bool isolate);

// A host path as text and back, in every locale: std::filesystem converts
// wide text through the C locale on POSIX, so these go through UTF-8.
std::wstring PathText(const std::filesystem::path& host);
std::filesystem::path PathFromText(const std::wstring& text);

// The running test program doubles as the child program of process tests:
// started with "--quen-child <action> <argument>...", it does one thing and
// exits before any test starts (the actions are those of Act() in
// ChildProgram.cpp). Output files hold entries ended by '\0', in UTF-8.
std::vector<std::wstring> ReadChildOutput(const std::filesystem::path& file);
// Its Windows path: on POSIX its host folder is mapped to drive `letter` for
// that; on Windows it is the program's own path.
std::wstring MapChildProgram(wchar_t letter);

// A whole run's log as "<Level> <text>" lines (time and thread left out),
// each `replacements` pair's first text replaced by its second, and the
// numbers after "pid " and "process " and before " ms" and " bytes" as "#".
std::vector<std::string> MaskedLog(const std::vector<LogRecord>& records,
                                   const std::vector<std::pair<std::wstring, std::wstring>>& replacements);
// Compares such lines to a golden file in tests/data/golden/; with
// QUEN_UPDATE_GOLDEN=1 in the environment it rewrites the file instead.
void ExpectGolden(const std::vector<std::string>& lines, const std::string& goldenName);

// Every free-space reading reports `bytes` for the scope's life, as on a nearly full disk.
class ScopedFreeSpace {
public:
    explicit ScopedFreeSpace(uint64_t bytes)
    {
        s_bytes = bytes;
        platform::SetFreeSpaceHook([](const std::wstring&, uint64_t& free) { free = s_bytes; return true; });
    }
    ~ScopedFreeSpace() { platform::SetFreeSpaceHook(nullptr); }

private:
    static inline std::atomic<uint64_t> s_bytes{0};
};

// The bytes of a host file ("" when it cannot be read).
std::string ReadHostFile(const std::filesystem::path& file);

// The resource-only DLLs tests/data/version builds (none without mingw-w64's
// resource tools): "version-1.2.3.4", "version-1.2.0.0", "version-0.9.0.0",
// "version-max" (65535 in every part), "no-version" (a string table only).
inline bool HavePeTestFiles() { return !std::string(QUEN_TEST_PE_DIR).empty(); }
inline std::string PeTestFile(const std::string& name)
{
    return ReadHostFile(std::filesystem::path(QUEN_TEST_PE_DIR) / (name + ".dll"));
}

}  // namespace quen::test
