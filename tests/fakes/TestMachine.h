// A fresh machine for each test: a temporary machine root (on Linux), no
// drive mappings, C:\ as current directory, an empty scratch folder, and a
// registry of its own (on Windows: private HKLM and HKCU roots).
#pragma once

#include <quen/Logging.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quen::test {

class TestMachine : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The scratch folder as a Windows path, with a trailing backslash.
    const std::wstring& Dir() const { return m_dir; }
    // The host folder that holds the machine (the root on Linux).
    const std::filesystem::path& HostRoot() const { return m_hostRoot; }
    // True where the machine is a folder of the host (POSIX); false on
    // Windows, where it is the real one. Tests of the folder's own layout
    // (drive map, machine root, Windows defaults) skip where it is false.
    static bool HasMachineRoot();
    // Host path of a Windows path.
    std::filesystem::path Host(const std::wstring& windowsPath) const;

    // Writes a file (and its folders) by Windows path.
    void WriteFile(const std::wstring& windowsPath, const std::string& content) const;
    std::string ReadFile(const std::wstring& windowsPath) const;

    // Log lines written since SetUp.
    std::vector<std::wstring> LogTexts() const { return m_log->Texts(); }
    bool LogContains(const std::wstring& text) const;

private:
    std::filesystem::path m_hostRoot;
    std::wstring m_registryKey;
    bool m_registryIsolated = false;
    std::wstring m_dir;
    std::shared_ptr<CMemoryLogSink> m_log;
};

// A host path as text and back, in every locale: std::filesystem converts
// wide text through the C locale on POSIX, so these go through UTF-8.
std::wstring PathText(const std::filesystem::path& host);
std::filesystem::path PathFromText(const std::wstring& text);

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

}  // namespace quen::test
