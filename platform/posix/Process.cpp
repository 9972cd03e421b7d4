// POSIX personality: starting programs. The program's Windows path goes
// through the drive map and the argument text is split by the Windows rules.
// Batch files run through /bin/sh, scripts through the interpreter their `#!`
// line names (WIM extraction keeps no execute bits), Windows executables are
// refused as a bad format, and everything else is executed directly. The
// child is forked rather than spawned: only between fork and exec can it
// take the parent-death signal.
#include "platform/Process.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/posix/MachineState.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

// Descriptors of the parent below 4 would be taken by the child's standard
// three and its report descriptor: every descriptor handed over lies above.
int AboveStandard(int fd)
{
    if (fd < 0 || fd > 3)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 4);
    ::close(fd);
    return moved;
}

struct ChildSetup {
    char* const* argv;
    char* const* envp;
    const char* folder;  // null: stays where the parent is
    pid_t parent;
    int input;   // the null device
    int output;  // the pipe's writing end
    int report;  // errno of a failed start goes here
};

// Between fork and exec only async-signal-safe calls: the parent may have
// other threads, which held locks at the fork.
[[noreturn]] void BecomeChild(const ChildSetup& setup)
{
    // A group of its own: the terminal's Ctrl-C goes to the host's group
    // only, and a time limit ends the whole group.
    ::setpgid(0, 0);
    // The host's death ends the program; a host that died before this line
    // is no longer its parent.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != setup.parent)
        ::_exit(127);
    int error = 0;
    // Default handling and an empty mask: a host that ignores SIGPIPE must
    // not pass that on.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::dup2(setup.input, STDIN_FILENO) < 0 || ::dup2(setup.output, STDOUT_FILENO) < 0 ||
        ::dup2(setup.output, STDERR_FILENO) < 0 || ::dup3(setup.report, 3, O_CLOEXEC) < 0)
        error = errno;
    if (error == 0) {
        ::closefrom(4);
        if (setup.folder && ::chdir(setup.folder) != 0)
            error = errno;
    }
    if (error == 0) {
        ::execve(setup.argv[0], setup.argv, setup.envp);
        error = errno;
    }
    [[maybe_unused]] const ssize_t written = ::write(3, &error, sizeof error);
    ::_exit(127);
}

// The errno of a start that failed before or at exec, 0 once the program
// runs. The report descriptor closes at exec.
int StartError(int report)
{
    int error = 0;
    ssize_t got;
    while ((got = ::read(report, &error, sizeof error)) < 0 && errno == EINTR) {
    }
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

void Reap(pid_t pid, int& status)
{
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// What the pipe holds now, without waiting for more.
void DrainAvailable(int fd, ProgramOutput& output)
{
    int available = 0;
    if (::ioctl(fd, FIONREAD, &available) != 0 || available <= 0)
        return;
    std::string bytes(static_cast<std::size_t>(available), '\0');
    const ssize_t got = ::read(fd, bytes.data(), bytes.size());
    if (got > 0)
        output.Add(std::string_view(bytes).substr(0, static_cast<std::size_t>(got)));
}

// Reads the program's output until the program ends, by itself, by its time
// limit or by a stop. The pipe may stay open after that: a process it started
// can hold it, and must not hold the caller.
bool Watch(pid_t pid, int pipe, const ProgramWatch& watch, ProgramOutput& output, ProgramResult& result, int& status)
{
    using Clock = std::chrono::steady_clock;
    // A descriptor that polls readable once the program has ended; without
    // it (kernels before 5.3) the loop looks every few milliseconds.
    const posix::UniqueFd exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    const auto deadline =
        watch.timeoutSeconds ? Clock::now() + std::chrono::seconds(watch.timeoutSeconds) : Clock::time_point::max();
    bool pipeOpen = true;
    for (;;) {
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            break;
        if (ended < 0 && errno != EINTR)
            return FailWithErrno(errno);
        if (watch.stop && watch.stop->load())
            result.end = ProgramEnd::Stopped;
        else if (Clock::now() >= deadline)
            result.end = ProgramEnd::TimedOut;
        if (result.end != ProgramEnd::Exited) {
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);  // not yet in its own group
            Reap(pid, status);
            break;
        }
        pollfd watched[2];
        nfds_t count = 0;
        if (pipeOpen)
            watched[count++] = {pipe, POLLIN, 0};
        if (exited)
            watched[count++] = {exited.Get(), POLLIN, 0};
        // A stop is seen within a tenth of a second.
        auto wait = std::chrono::milliseconds(exited ? 100 : 10);
        if (deadline != Clock::time_point::max())
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()));
        if (::poll(watched, count, static_cast<int>(std::max<long long>(wait.count(), 0))) > 0 && pipeOpen &&
            watched[0].revents != 0) {
            char bytes[16384];
            const ssize_t got = ::read(pipe, bytes, sizeof bytes);
            if (got > 0)
                output.Add(std::string_view(bytes, static_cast<std::size_t>(got)));
            else if (got == 0 || errno != EINTR)
                pipeOpen = false;
        }
    }
    if (pipeOpen)
        DrainAvailable(pipe, output);
    return true;
}

}  // namespace

// throughInterpreter: POSIX has no command interpreter that adds anything to
// a direct start, so it changes nothing here; batch files go through /bin/sh
// either way.
bool RunProgram(const std::wstring& program, const std::wstring& arguments, bool /*throughInterpreter*/,
                const ProgramWatch& watch, ProgramResult& result)
{
    result = ProgramResult{};
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
    const std::filesystem::path folder = host.parent_path();

    const posix::UniqueFd input(AboveStandard(::open("/dev/null", O_RDONLY | O_CLOEXEC)));
    int outputEnds[2];
    int reportEnds[2];
    if (!input || ::pipe2(outputEnds, O_CLOEXEC) != 0)
        return FailWithErrno(errno);
    const posix::UniqueFd outputRead(AboveStandard(outputEnds[0]));
    posix::UniqueFd outputWrite(AboveStandard(outputEnds[1]));
    if (::pipe2(reportEnds, O_CLOEXEC) != 0)
        return FailWithErrno(errno);
    const posix::UniqueFd reportRead(AboveStandard(reportEnds[0]));
    posix::UniqueFd reportWrite(AboveStandard(reportEnds[1]));
    if (!outputRead || !outputWrite || !reportRead || !reportWrite)
        return FailWithErrno(errno);

    const ChildSetup setup{argp.data(),         envp.data(),       IsDirectory(folder) ? folder.c_str() : nullptr,
                           ::getpid(),          input.Get(),       outputWrite.Get(),
                           reportWrite.Get()};
    const pid_t pid = ::fork();
    if (pid < 0)
        return FailWithErrno(errno);
    if (pid == 0)
        BecomeChild(setup);
    // Either side may make the group first; the other's call then fails.
    ::setpgid(pid, pid);
    outputWrite.Reset();
    reportWrite.Reset();

    int status = 0;
    if (const int error = StartError(reportRead.Get()); error != 0) {
        Reap(pid, status);
        return argv.front() == host.string() ? FailToStart(error, host) : FailWithErrno(error);
    }

    ProgramOutput output([&watch](std::string_view line) {
        if (watch.onOutputLine)
            watch.onOutputLine(FromUtf8Lossy(line));
    });
    if (!Watch(pid, outputRead.Get(), watch, output, result, status))
        return false;
    output.Finish();
    result.outputBytesNotKept = output.BytesNotKept();
    if (WIFSIGNALED(status))
        result.exitCode = kKilledBySignal | static_cast<uint32_t>(WTERMSIG(status));
    else
        result.exitCode = static_cast<uint32_t>(WEXITSTATUS(status));
    return true;
}

}  // namespace quen::platform
