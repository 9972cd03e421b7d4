#include "fakes/TestMachine.h"
#include "fakes/RegistryIsolation.h"

#include <quen/Machine.h>

#include "foundation/WideString.h"
#include "platform/Paths.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

namespace quen::test {
namespace {

std::filesystem::path UniqueTempPath(const char* prefix)
{
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    std::ostringstream name;
    name << prefix << std::hex << rd() << '-' << counter++;
    return std::filesystem::temp_directory_path() / name.str();
}

// Removes a folder and its content. Windows refuses to remove what is
// read-only, and tests leave such files behind: write access comes first.
void RemoveTree(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    fs::remove_all(folder, ec);
}

}  // namespace

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

TempHostDir::TempHostDir() : m_path(UniqueTempPath("quen-test-"))
{
    std::filesystem::create_directories(m_path);
}

TempHostDir::~TempHostDir() { RemoveTree(m_path); }

void TestMachine::SetUp()
{
    m_hostRoot = UniqueTempPath("quen-machine-");
    // On Windows the registry is the machine's own: each test gets private
    // HKLM and HKCU roots, named after its folder. On POSIX the fresh machine
    // root holds a fresh registry.
    m_registryKey = L"Software\\Quen test " + PathText(m_hostRoot.filename());
    ASSERT_EQ(RegIsolateRoots(m_registryKey, true), 0u) << "no private registry for this test";
    m_registryIsolated = true;
    std::filesystem::create_directories(m_hostRoot);
    SetMachineRoot(m_hostRoot);
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        MapDrive(letter, {});
    platform::SetCurrentDir(L"C:\\");

    // On Windows the machine is the real one: the scratch folder lives in the
    // host temporary folder there. On Linux it lives inside the fresh root.
    const std::wstring temp = platform::TempDir();
    m_dir = temp + PathText(m_hostRoot.filename()) + L"\\";
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
    if (!m_dir.empty())
        RemoveTree(HostPath(m_dir));
    RemoveTree(m_hostRoot);
    if (m_registryIsolated)
        RegIsolateRoots(m_registryKey, false);
}

bool TestMachine::HasMachineRoot() { return !MachineRoot().empty(); }

std::filesystem::path TestMachine::Host(const std::wstring& windowsPath) const { return HostPath(windowsPath); }

void TestMachine::WriteFile(const std::wstring& windowsPath, const std::string& content) const
{
    const auto host = HostPath(windowsPath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string TestMachine::ReadFile(const std::wstring& windowsPath) const
{
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool TestMachine::LogContains(const std::wstring& text) const
{
    for (const auto& line : LogTexts()) {
        if (line.find(text) != std::wstring::npos)
            return true;
    }
    return false;
}

}  // namespace quen::test
