// POSIX personality: starting programs. The program's Windows path goes
// through the drive map and the argument text is split by the Windows rules.
// Batch files run through /bin/sh, scripts through the interpreter their `#!`
// line names (WIM extraction keeps no execute bits), Windows executables are
// refused as a bad format, and everything else is executed directly.
#include "platform/Process.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/posix/MachineState.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quen::platform {
namespace {

// A program killed by a signal has no exit status of its own. It reports
// 0xC0000000 | signal: an error code in the form of Windows' NTSTATUS
// failures, which no 8-bit exit status can be mistaken for.
constexpr uint32_t kKilledBySignal = 0xC0000000u;

bool IsDirectory(const std::filesystem::path& host)
{
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Windows tells a missing folder (PathNotFound) from a missing file.
bool FailToStart(int error, const std::filesystem::path& host)
{
    if (error == ENOENT && !IsDirectory(host.parent_path()))
        return Fail(err::PathNotFound);
    return FailWithErrno(error);
}

// The spawn settings every child gets: no descriptor but the standard three,
// default signal handling and an empty signal mask (a host that ignores
// SIGPIPE must not pass that on), and the program's own folder as its working
// folder, as setup programs expect to find their files beside them.
class SpawnSettings {
public:
    explicit SpawnSettings(const std::filesystem::path& workingFolder)
    {
        m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0;
        if (!m_ok)
            return;
        m_ok = ::posix_spawnattr_init(&m_attributes) == 0;
        if (!m_ok) {
            ::posix_spawn_file_actions_destroy(&m_actions);
            return;
        }
        sigset_t all;
        sigset_t none;
        sigfillset(&all);
        sigemptyset(&none);
        ::posix_spawnattr_setsigdefault(&m_attributes, &all);
        ::posix_spawnattr_setsigmask(&m_attributes, &none);
        ::posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        ::posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1);
        if (IsDirectory(workingFolder))
            ::posix_spawn_file_actions_addchdir_np(&m_actions, workingFolder.c_str());
    }
    ~SpawnSettings()
    {
        if (m_ok) {
            ::posix_spawnattr_destroy(&m_attributes);
            ::posix_spawn_file_actions_destroy(&m_actions);
        }
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    bool Ok() const { return m_ok; }
    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }
    const posix_spawnattr_t* Attributes() const { return &m_attributes; }

private:
    bool m_ok = false;
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
};

// The first bytes of a file, enough for a `#!` line; empty when it cannot be
// read (the start then reports why).
std::string ReadHead(const std::filesystem::path& host)
{
    posix::UniqueFd fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return {};
    std::string head(256, '\0');
    const ssize_t got = ::read(fd.Get(), head.data(), head.size());
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return head;
}

// The interpreter and its one optional argument of a `#!` line, split as the
// kernel splits it: the path up to the first blank, the rest as one argument.
std::vector<std::string> Interpreter(const std::string& head)
{
    const std::size_t newline = head.find('\n');  // npos: the line fills the head
    std::string line = head.substr(2, newline == std::string::npos ? newline : newline - 2);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!line.empty() && blank(line.back()))
        line.pop_back();
    std::size_t start = 0;
    while (start < line.size() && blank(line[start]))
        ++start;
    std::size_t end = start;
    while (end < line.size() && !blank(line[end]))
        ++end;
    std::vector<std::string> argv;
    if (end == start)
        return argv;
    argv.push_back(line.substr(start, end - start));
    while (end < line.size() && blank(line[end]))
        ++end;
    if (end < line.size())
        argv.push_back(line.substr(end));
    return argv;
}

// The process environment with the machine's own entries in place of any the
// host had, so the child sees the machine this library works on.
std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text(*entry);
        if (!text.starts_with("QUEN_ROOT=") && !text.starts_with("QUEN_DRIVE_"))
            entries.emplace_back(text);
    }
    for (auto& entry : posix::MachineEnvironment())
        entries.push_back(std::move(entry));
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

// throughInterpreter: POSIX has no command interpreter that adds anything to
// a direct start, so it changes nothing here; batch files go through /bin/sh
// either way.
bool RunProgram(const std::wstring& program, const std::wstring& arguments, bool /*throughInterpreter*/,
                uint32_t& exitCode)
{
    std::filesystem::path host;
    if (program.empty())
        return Fail(err::FileNotFound);
    if (!ToHostPath(program, host))
        return false;

    std::vector<std::string> argv;
    if (IsBatchFile(program)) {
        // The shell would start and fail with its own exit code; a script that
        // cannot be read is a failure to start, as on Windows.
        if (::access(host.c_str(), R_OK) != 0)
            return FailToStart(errno, host);
        if (IsDirectory(host))
            return Fail(err::AccessDenied);
        argv.push_back("/bin/sh");
    } else if (const std::string head = ReadHead(host); head.starts_with("MZ")) {
        return Fail(err::BadExeFormat);
    } else if (head.starts_with("#!")) {
        argv = Interpreter(head);
        if (argv.empty())
            return Fail(err::BadExeFormat);
    }
    argv.push_back(host.string());
    for (const auto& argument : SplitCommandLine(arguments))
        argv.push_back(ToUtf8(argument));
    std::vector<std::string> environment = ChildEnvironment();

    std::vector<char*> argp = Pointers(argv);
    std::vector<char*> envp = Pointers(environment);
    SpawnSettings settings(host.parent_path());
    if (!settings.Ok())
        return Fail(err::NotEnoughMemory);
    pid_t pid = 0;
    // posix_spawn reports a failed exec (missing program, no permission, not
    // an executable format) through its result, never through the child.
    const int error = ::posix_spawn(&pid, argp[0], settings.Actions(), settings.Attributes(), argp.data(), envp.data());
    if (error != 0)
        return argv.front() == host.string() ? FailToStart(error, host) : FailWithErrno(error);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return FailWithErrno(errno);
    }
    if (WIFSIGNALED(status))
        exitCode = kKilledBySignal | static_cast<uint32_t>(WTERMSIG(status));
    else
        exitCode = static_cast<uint32_t>(WEXITSTATUS(status));
    return true;
}

}  // namespace quen::platform
