#include "fakes/TestMachine.h"
#include "fakes/Thrown.h"

#include <quen/Exceptions.h>
#include <quen/InstallDB.h>
#include <quen/Installer.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "foundation/WideString.h"
#include "platform/Process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

namespace quen::test {
namespace {

int WriteEntries(const std::wstring& file, const std::vector<std::wstring>& entries)
{
    std::ofstream out(PathFromText(file), std::ios::binary | std::ios::trunc);
    for (const auto& entry : entries)
        out << ToUtf8(entry) << '\0';
    return 0;
}

std::vector<std::wstring> LinkTargets(const std::wstring& folder)
{
    std::vector<std::wstring> targets;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromText(folder), ec)) {
        if (const auto target = std::filesystem::read_symlink(entry.path(), ec); !ec)
            targets.push_back(PathText(target));
    }
    return targets;
}

// A child of its own loads wimgapi afresh: a process looks for it once.
std::wstring OpenWim(const std::wstring& wim)
{
    const auto failure = Thrown<EFileException>([&] { CWIMFile(wim.c_str(), nullptr, nullptr); });
    return failure ? failure->Message() : L"opened";
}

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

unsigned long Number(const std::wstring& text) { return std::wcstoul(text.c_str(), nullptr, 10); }

void Sleep(const std::wstring& seconds) { std::this_thread::sleep_for(std::chrono::seconds(Number(seconds))); }

// What the child does (the file and output arguments are host paths);
// returns its exit code. "hold" writes its process ID, sleeps, then adds
// "ended"; "run" starts a "hold" child and waits for it.
int Act(const std::vector<std::wstring>& args)
{
    const std::wstring& action = args[2];
    const std::wstring& first = args[3];
    const std::wstring second = args.size() > 4 ? args[4] : L"";
    if (action == L"signal")
        std::raise(static_cast<int>(Number(first)));
    if (action == L"args")
        return WriteEntries(first, {args.begin() + 4, args.end()});
    if (action == L"links")
        return WriteEntries(first, LinkTargets(second));
    if (action == L"wim-open")
        return WriteEntries(first, {OpenWim(second), OpenWim(second)});  // a failed load keeps failing alike
    if (action == L"plan")
        return WriteEntries(first, PlanProblems(second));
    if (action == L"say") {
        std::cout << ToUtf8(first) << std::endl;
        std::cerr << ToUtf8(second) << std::endl;
    }
    if (action == L"print")
        for (unsigned long i = 0; i < Number(first); ++i)
            std::cout << ToUtf8(second) << '\n';
    if (action == L"sleep")
        Sleep(first);
    if (action == L"hold") {
        std::ofstream(PathFromText(first), std::ios::binary) << platform::CurrentProcessId() << '\0';
        Sleep(second);
        std::ofstream(PathFromText(first), std::ios::binary | std::ios::app) << "ended" << '\0';
    }
    if (action == L"run") {
        platform::ProgramResult result;
        platform::RunProgram(MapChildProgram(L'T'), L"--quen-child hold \"" + second + L"\" " + first, false, {},
                             result);
    }
    return action == L"exit" ? static_cast<int>(Number(first)) : 0;
}

// Runs before main(), so a child never reaches the test framework.
const bool g_child = [] {
    const auto args = platform::RunningProgramArguments();
    if (args.size() < 4 || args[1] != L"--quen-child")
        return false;
    std::exit(Act(args));
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
    std::ifstream in(file, std::ios::binary);
    std::vector<std::wstring> entries;
    for (std::string entry; std::getline(in, entry, '\0');)
        entries.push_back(FromUtf8Lossy(entry));
    return entries;
}

}  // namespace quen::test
