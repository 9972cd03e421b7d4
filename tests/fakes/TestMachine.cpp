#include "fakes/TestMachine.h"

#include "foundation/WideString.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

namespace quen::test {

std::wstring PathText(const std::filesystem::path& host)
{
    const std::u8string utf8 = host.u8string();
    return FromUtf8Lossy(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

std::filesystem::path PathFromText(const std::wstring& text)
{
    const std::string utf8 = ToUtf8(text);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

TempHostDir::TempHostDir()
{
    static std::atomic<unsigned> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("quen-test-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
}

// Windows refuses to remove what is read-only, and tests leave such files
// behind: write access comes first.
TempHostDir::~TempHostDir()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    fs::remove_all(m_path, ec);
}

void TestMachine::SetUp()
{
#ifdef _WIN32
    m_registryKey = L"Software\\Quen test " + PathText(HostRoot().filename());
    ASSERT_EQ(RegIsolateRoots(m_registryKey, true), 0u) << "no private registry for this test";
#endif
    SetMachineRoot(HostRoot());
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        MapDrive(letter, {});
    platform::SetCurrentDir(L"C:\\");
    // Inside the fresh root on Linux; on Windows the root itself (both in the
    // host's temporary folder), so the root's removal takes it too.
    m_dir = platform::TempDir() + PathText(HostRoot().filename()) + L"\\";
    std::filesystem::create_directories(HostPath(m_dir));
    m_log = std::make_shared<CMemoryLogSink>();
    CLoggingFactory::AddSink(m_log);
}

void TestMachine::TearDown()
{
    if (m_log)
        CLoggingFactory::RemoveSink(m_log);
    // Windows cannot remove the current directory.
    platform::SetCurrentDir(L"C:\\");
#ifdef _WIN32
    RegIsolateRoots(m_registryKey, false);
#endif
}

void TestMachine::WriteFile(const std::wstring& windowsPath, const std::string& content) const
{
    std::filesystem::create_directories(Host(windowsPath).parent_path());
    std::ofstream(Host(windowsPath), std::ios::binary | std::ios::trunc) << content;
}

std::string ReadHostFile(const std::filesystem::path& file)
{
    std::ostringstream content;
    content << std::ifstream(file, std::ios::binary).rdbuf();
    return content.str();
}

std::string TestMachine::ReadFile(const std::wstring& windowsPath) const { return ReadHostFile(Host(windowsPath)); }

bool TestMachine::LogContains(const std::wstring& text) const
{
    return std::ranges::any_of(LogTexts(), [&](const auto& line) { return line.find(text) != std::wstring::npos; });
}

}  // namespace quen::test
