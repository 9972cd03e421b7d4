#include "fakes/ChildProgram.h"

#include <quen/Machine.h>

#include "foundation/WideString.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quen::test {
namespace {

// The command line of this process, read where Linux keeps it.
std::vector<std::string> OwnArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    std::string argument;
    while (std::getline(in, argument, '\0'))
        arguments.push_back(argument);
    return arguments;
}

void WriteEntries(const std::string& file, const std::vector<std::string>& entries)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const auto& entry : entries)
        out << entry << '\0';
}

std::vector<std::string> OpenDescriptorTargets()
{
    std::vector<std::string> targets;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        const std::string name = entry.path().filename().string();
        if (name == "0" || name == "1" || name == "2")
            continue;
        targets.push_back(std::filesystem::read_symlink(entry.path(), ec).string());
    }
    return targets;
}

// Runs before main(): a child never reaches the test framework.
const bool g_childDone = [] {
    const auto args = OwnArguments();
    if (args.size() < 3 || args[1] != "--quen-child")
        return false;
    const std::string& action = args[2];
    if (action == "exit" && args.size() == 4)
        std::exit(std::atoi(args[3].c_str()));
    if (action == "args" && args.size() >= 4) {
        WriteEntries(args[3], std::vector<std::string>(args.begin() + 4, args.end()));
        std::exit(0);
    }
    if (action == "fds" && args.size() == 4) {
        WriteEntries(args[3], OpenDescriptorTargets());
        std::exit(0);
    }
    if (action == "signal" && args.size() == 4)
        std::raise(std::atoi(args[3].c_str()));
    std::exit(99);
}();

}  // namespace

std::wstring MapChildProgram(wchar_t letter)
{
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    MapDrive(letter, self.parent_path());
    return std::wstring(1, letter) + L":\\" + FromUtf8Lossy(self.filename().string());
}

std::vector<std::wstring> ReadChildOutput(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::wstring> entries;
    std::string entry;
    while (std::getline(in, entry, '\0'))
        entries.push_back(FromUtf8Lossy(entry));
    return entries;
}

std::wstring Quoted(const std::filesystem::path& hostPath)
{
    return L"\"" + FromUtf8Lossy(hostPath.string()) + L"\"";
}

}  // namespace quen::test
