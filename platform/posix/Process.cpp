// POSIX personality: starting programs. The program's Windows path goes
// through the drive map, the argument text is split by the Windows rules,
// batch files run through /bin/sh and everything else is executed directly.
#include "platform/Process.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/posix/PosixErrors.h"

#include <cerrno>
#include <csignal>
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
// SIGPIPE must not pass that on), and the Windows current directory as its
// working folder when that folder exists.
class SpawnSettings {
public:
    SpawnSettings()
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

        std::filesystem::path workingFolder;
        if (ToHostPath(CurrentDirectory(), workingFolder) && IsDirectory(workingFolder))
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
    }
    argv.push_back(host.string());
    for (const auto& argument : SplitCommandLine(arguments))
        argv.push_back(ToUtf8(argument));

    std::vector<char*> argp;
    for (auto& a : argv)
        argp.push_back(a.data());
    argp.push_back(nullptr);

    SpawnSettings settings;
    if (!settings.Ok())
        return Fail(err::NotEnoughMemory);
    pid_t pid = 0;
    // posix_spawn reports a failed exec (missing program, no permission, not
    // an executable format) through its result, never through the child.
    const int error =
        ::posix_spawn(&pid, argp[0], settings.Actions(), settings.Attributes(), argp.data(), environ);
    if (error != 0)
        return FailToStart(error, host);

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
