#include "fakes/TestMachine.h"

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

}  // namespace

TempHostDir::TempHostDir() : m_path(UniqueTempPath("quen-test-"))
{
    std::filesystem::create_directories(m_path);
}

TempHostDir::~TempHostDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void TestMachine::SetUp()
{
    m_hostRoot = UniqueTempPath("quen-machine-");
    std::filesystem::create_directories(m_hostRoot);
    SetMachineRoot(m_hostRoot);
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        MapDrive(letter, {});
    platform::SetCurrentDir(L"C:\\");

    // On Windows the machine is the real one: the scratch folder lives in the
    // host temporary folder there. On Linux it lives inside the fresh root.
    const std::wstring temp = platform::TempDir();
    m_dir = temp + FromUtf8Lossy(m_hostRoot.filename().string()) + L"\\";
    std::filesystem::create_directories(HostPath(m_dir));

    m_log = std::make_shared<CMemoryLogSink>();
    CLoggingFactory::AddSink(m_log);
}

void TestMachine::TearDown()
{
    CLoggingFactory::RemoveSink(m_log);
    std::error_code ec;
    std::filesystem::remove_all(HostPath(m_dir), ec);
    std::filesystem::remove_all(m_hostRoot, ec);
    platform::SetCurrentDir(L"C:\\");
}

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
