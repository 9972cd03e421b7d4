// POSIX personality: the machine root and the drive map behind Machine.h.
#include "platform/posix/MachineState.h"

#include <quen/Machine.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <shared_mutex>
#include <stdexcept>

namespace quen::platform::posix {
namespace {

struct State {
    std::shared_mutex mutex;
    std::filesystem::path root;
    std::array<std::filesystem::path, 26> drives;
    std::wstring currentDirectory = L"C:\\";

    State()
    {
        if (const char* env = std::getenv("QUEN_ROOT"); env && *env) {
            root = env;
        } else if (const char* home = std::getenv("HOME"); home && *home) {
            root = std::filesystem::path(home) / ".local/share/quen/machine";
        } else {
            root = "/tmp/quen-machine";
        }
        std::string name = "QUEN_DRIVE_X";
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            name.back() = letter;
            if (const char* env = std::getenv(name.c_str()); env && *env)
                drives[static_cast<std::size_t>(letter - 'A')] = env;
        }
    }
};

State& Machine()
{
    static State state;
    return state;
}

int DriveIndex(wchar_t letter)
{
    if (letter >= L'a' && letter <= L'z')
        return letter - L'a';
    if (letter >= L'A' && letter <= L'Z')
        return letter - L'A';
    return -1;
}

}  // namespace

std::filesystem::path MachineRootPath()
{
    State& s = Machine();
    std::shared_lock lock(s.mutex);
    return s.root;
}

std::filesystem::path DriveFolder(wchar_t letter)
{
    const int index = DriveIndex(letter);
    if (index < 0)
        throw std::invalid_argument("not a drive letter");
    State& s = Machine();
    std::shared_lock lock(s.mutex);
    const auto& mapped = s.drives[static_cast<std::size_t>(index)];
    if (!mapped.empty())
        return mapped;
    return s.root / "drives" / std::string(1, static_cast<char>('a' + index));
}

std::vector<std::string> MachineEnvironment()
{
    State& s = Machine();
    std::shared_lock lock(s.mutex);
    std::vector<std::string> entries{"QUEN_ROOT=" + s.root.string()};
    for (std::size_t index = 0; index < s.drives.size(); ++index) {
        if (!s.drives[index].empty())
            entries.push_back("QUEN_DRIVE_" + std::string(1, static_cast<char>('A' + index)) + "=" +
                              s.drives[index].string());
    }
    return entries;
}

std::filesystem::path UncFolder() { return MachineRootPath() / "unc"; }

std::wstring WindowsCurrentDirectory()
{
    State& s = Machine();
    std::shared_lock lock(s.mutex);
    return s.currentDirectory;
}

void SetWindowsCurrentDirectory(const std::wstring& fullPath)
{
    State& s = Machine();
    std::unique_lock lock(s.mutex);
    s.currentDirectory = fullPath;
}

}  // namespace quen::platform::posix

namespace quen {

void SetMachineRoot(const std::filesystem::path& root)
{
    auto& s = platform::posix::Machine();
    std::unique_lock lock(s.mutex);
    s.root = root;
}

std::filesystem::path MachineRoot() { return platform::posix::MachineRootPath(); }

void MapDrive(wchar_t letter, const std::filesystem::path& hostFolder)
{
    const int index = platform::posix::DriveIndex(letter);
    if (index < 0)
        throw std::invalid_argument("MapDrive: not a drive letter");
    auto& s = platform::posix::Machine();
    std::unique_lock lock(s.mutex);
    s.drives[static_cast<std::size_t>(index)] = hostFolder;
}

}  // namespace quen
