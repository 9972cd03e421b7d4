#include "fakes/ChildProgram.h"
#include "fakes/TestMachine.h"

#include <quen/Exceptions.h>
#include <quen/InstallDB.h>
#include <quen/Installer.h>
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "foundation/WideString.h"
#include "platform/Process.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

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

void WriteEntriesAndExit(const std::wstring& file, const std::vector<std::wstring>& entries)
{
    std::ofstream out(PathFromText(file), std::ios::binary | std::ios::trunc);
    for (const auto& entry : entries)
        out << ToUtf8(entry) << '\0';
    out.close();
    std::exit(0);
}

std::vector<std::wstring> LinkTargets(const std::wstring& folder)
{
    std::vector<std::wstring> targets;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromText(folder), ec)) {
        const auto target = std::filesystem::read_symlink(entry.path(), ec);
        if (!ec)
            targets.push_back(PathText(target));
    }
    return targets;
}

// A child of its own loads wimgapi afresh: a process looks for it once. The
// second open shows that a failed load keeps failing with the same error.
std::vector<std::wstring> OpenWimTwice(const std::wstring& wim)
{
    std::vector<std::wstring> outcomes;
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            CWIMFile file(wim.c_str(), nullptr, nullptr);
            outcomes.push_back(L"opened");
        } catch (const EFileException& e) {
            outcomes.push_back(e.Message());
        }
    }
    return outcomes;
}

void PrintAndExit(const std::string& text, unsigned long count, std::FILE* stream = stdout)
{
    for (unsigned long i = 0; i < count; ++i)
        std::fputs((text + "\n").c_str(), stream);
    std::fflush(stream);
}

void SleepSeconds(const std::wstring& seconds)
{
    std::this_thread::sleep_for(std::chrono::seconds(std::wcstoul(seconds.c_str(), nullptr, 10)));
}

// The problems a plan of the database's records finds, the recovery folder
// being the database's own folder.
std::vector<std::wstring> PlanProblems(const std::wstring& database)
{
    CInstallDB db(database);
    CInstaller installer(db);
    const std::wstring source = CDirectory::GetParentDirectory(database), destination = L"C:\\";
    installer.SetFlags(true, false);
    installer.SetPaths(&source, &destination, nullptr, nullptr);
    std::vector<std::wstring> problems;
    for (const InstallPlanProblem& problem : installer.Plan(nullptr, db.Applications(), db.Modules()).problems)
        problems.push_back(problem.label + L": " + problem.text);
    return problems;
}

// Runs before main(), so a child never reaches the test framework.
const bool g_child = [] {
    const auto args = platform::RunningProgramArguments();
    if (args.size() < 4 || args[1] != L"--quen-child")
        return false;
    const std::wstring& action = args[2];
    if (action == L"exit")
        std::exit(static_cast<int>(std::wcstoul(args[3].c_str(), nullptr, 10)));
    if (action == L"signal")
        std::raise(std::stoi(args[3]));
    if (action == L"args")
        WriteEntriesAndExit(args[3], std::vector<std::wstring>(args.begin() + 4, args.end()));
    if (action == L"cwd")
        WriteEntriesAndExit(args[3], {PathText(std::filesystem::current_path())});
    if (action == L"say" && args.size() > 4) {
        PrintAndExit(ToUtf8(args[3]), 1);
        PrintAndExit(ToUtf8(args[4]), 1, stderr);
        std::exit(0);
    }
    if (action == L"print" && args.size() > 4) {
        PrintAndExit(ToUtf8(args[4]), std::wcstoul(args[3].c_str(), nullptr, 10));
        std::exit(0);
    }
    if (action == L"cat") {
        std::ifstream in(PathFromText(args[3]), std::ios::binary);
        std::cout << in.rdbuf() << std::flush;
        std::exit(0);
    }
    if (action == L"stdin") {
        while (std::cin.get() != std::char_traits<char>::eof()) {
        }
        std::exit(static_cast<int>(std::wcstoul(args[3].c_str(), nullptr, 10)));
    }
    if (action == L"sleep") {
        SleepSeconds(args[3]);
        std::exit(0);
    }
    if (action == L"hold" && args.size() > 4) {
        std::ofstream(PathFromText(args[3]), std::ios::binary) << platform::CurrentProcessId() << '\0';
        SleepSeconds(args[4]);
        std::ofstream(PathFromText(args[3]), std::ios::binary | std::ios::app) << "ended" << '\0';
        std::exit(0);
    }
    if (action == L"run" && args.size() > 4) {
        platform::ProgramResult result;
        platform::RunProgram(MapChildProgram(L'T'), L"--quen-child hold \"" + args[4] + L"\" " + args[3], false, {},
                             result);
        std::exit(0);
    }
    if (action == L"wim-open" && args.size() > 4)
        WriteEntriesAndExit(args[3], OpenWimTwice(args[4]));
    if (action == L"plan" && args.size() > 4)
        WriteEntriesAndExit(args[3], PlanProblems(args[4]));
    if (action == L"links" && args.size() > 4)
        WriteEntriesAndExit(args[3], LinkTargets(args[4]));
    std::exit(99);
}();

}  // namespace

std::wstring MapChildProgram(wchar_t letter)
{
    const auto self = platform::RunningProgramPath();
    // Windows has no machine root: its paths are the program's own.
    if (MachineRoot().empty())
        return PathText(self);
    MapDrive(letter, self.parent_path());
    return std::wstring(1, letter) + L":\\" + PathText(self.filename());
}

std::vector<std::wstring> ReadChildOutput(const std::filesystem::path& file)
{
    std::vector<std::wstring> entries;
    for (const auto& entry : ReadEntries(file))
        entries.push_back(FromUtf8Lossy(entry));
    return entries;
}

}  // namespace quen::test
