#include "fakes/ChildProgram.h"

#include <quen/Machine.h>

#include "foundation/WideString.h"

#include <csignal>
#include <cstdlib>
#include <fstream>

namespace quen::test {
namespace {

std::vector<std::string> ReadEntries(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> entries;
    for (std::string entry; std::getline(in, entry, '\0');)
        entries.push_back(entry);
    return entries;
}

void WriteEntriesAndExit(const std::string& file, const std::vector<std::string>& entries)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const auto& entry : entries)
        out << entry << '\0';
    out.close();
    std::exit(0);
}

// Runs before main(), so a child never reaches the test framework. Linux
// keeps the command line in /proc.
const bool g_child = [] {
    const auto args = ReadEntries("/proc/self/cmdline");
    if (args.size() < 4 || args[1] != "--quen-child")
        return false;
    const std::string& action = args[2];
    if (action == "exit")
        std::exit(std::atoi(args[3].c_str()));
    if (action == "signal")
        std::raise(std::atoi(args[3].c_str()));
    if (action == "args")
        WriteEntriesAndExit(args[3], std::vector<std::string>(args.begin() + 4, args.end()));
    if (action == "fds") {
        std::vector<std::string> targets;
        std::error_code ec;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
            if (std::atoi(fd.path().filename().c_str()) > 2)
                targets.push_back(std::filesystem::read_symlink(fd.path(), ec).string());
        }
        WriteEntriesAndExit(args[3], targets);
    }
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
    std::vector<std::wstring> entries;
    for (const auto& entry : ReadEntries(file))
        entries.push_back(FromUtf8Lossy(entry));
    return entries;
}

}  // namespace quen::test
