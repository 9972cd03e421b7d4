// Mounting with wimlib over FUSE. wimlib_mount_image turns its process into
// the daemon that serves the mount, so a child process does the mounting:
// the child ends once the mount is up (or reports why it failed), and the
// daemon it leaves behind ends at the unmount.
#include "platform/Wimgapi.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/personality/MountTable.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/UniqueFd.h"
#include "platform/posix/WimCalls.h"

#include <wimlib.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quen::platform {

using posix::BeginWimCall;
using posix::FailWim;

namespace {

constexpr std::size_t kMaxMessage = 4096;
constexpr int kResultFd = 3;

struct Pipe {
    posix::UniqueFd read;
    posix::UniqueFd write;
    Pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            read = posix::UniqueFd(fds[0]);
            write = posix::UniqueFd(fds[1]);
        }
    }
    explicit operator bool() const { return static_cast<bool>(read); }
};

struct MountRequest {
    std::filesystem::path wim;
    std::filesystem::path dir;
    std::filesystem::path staging;  // empty: a read-only mount
    int index;
};

// In the child: mounts, and writes wimlib's error code to kResultFd if that
// fails early. On success the daemonizing inside wimlib ends this process
// with status 0 before wimlib_mount_image returns; the daemon returns from it
// only at the unmount.
[[noreturn]] void MountInChild(const MountRequest& request, int resultFd, int messageFd)
{
    std::signal(SIGPIPE, SIG_IGN);
    // The daemon keeps what it inherits for as long as the mount lives: give
    // it nothing of the parent's but the result pipe and standard input and
    // output. Its standard error goes to the parent, which keeps FUSE's text.
    if (::dup2(messageFd, STDERR_FILENO) < 0 || ::dup2(resultFd, kResultFd) < 0)
        ::_exit(127);
    ::close_range(kResultFd + 1, ~0u, 0);

    const bool readWrite = !request.staging.empty();
    WIMStruct* wim = nullptr;
    int code = wimlib_open_wim(request.wim.c_str(), readWrite ? WIMLIB_OPEN_FLAG_WRITE_ACCESS : 0, &wim);
    if (code == 0)
        code = wimlib_mount_image(wim, request.index, request.dir.c_str(),
                                  readWrite ? WIMLIB_MOUNT_FLAG_READWRITE : 0,
                                  readWrite ? request.staging.c_str() : nullptr);
    if (code != 0 && ::write(kResultFd, &code, sizeof code) != static_cast<ssize_t>(sizeof code))
        ::_exit(126);
    ::_exit(code == 0 ? 0 : 1);
}

// What the child wrote to its standard error (FUSE's reasons), trimmed.
std::string ReadMessages(int fd)
{
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (text.size() < kMaxMessage)
            text.append(buffer, static_cast<std::size_t>(n));
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text.substr(0, kMaxMessage);
}

bool Mount(const MountRequest& request)
{
    Pipe result, messages;
    if (!result || !messages)
        return FailWim(Win32FromErrno(errno), std::wstring());
    const pid_t child = ::fork();
    if (child < 0)
        return FailWim(Win32FromErrno(errno), std::wstring());
    if (child == 0)
        MountInChild(request, result.write.Get(), messages.write.Get());

    result.write.Reset();
    messages.write.Reset();
    // Standard error reaches its end when the child has ended and the daemon
    // has put its own on /dev/null.
    const std::string fuseText = ReadMessages(messages.read.Get());
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The daemon holds the pipe's other end: never wait on it.
    ::fcntl(result.read.Get(), F_SETFL, O_NONBLOCK);
    int code = 0;
    const bool reported = ::read(result.read.Get(), &code, sizeof code) == static_cast<ssize_t>(sizeof code);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !reported)
        return true;
    if (!reported)
        return FailWim(err::GenFailure, Format(L"The mounting process ended with status %d.", status));
    posix::FailWithWimlib(code, 0);
    if (!fuseText.empty())
        return FailWim(LastError(), WimFailureDetail() + L" (" + FromUtf8Lossy(fuseText) + L")");
    return false;
}

bool IsMountPoint(const std::filesystem::path& dir)
{
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    for (const personality::Mount& mount : personality::ParseMountInfo(text.str())) {
        if (mount.mountPoint == dir.native())
            return true;
    }
    return false;
}

// wimlib's unmount returns once the daemon has agreed to end; the kernel
// lets go of the folder only when the daemon has gone, and until then the
// folder answers "Transport endpoint is not connected". Waits for that (a
// few seconds at most), so that the caller finds a plain folder again.
void WaitUntilReleased(const std::filesystem::path& dir)
{
    std::filesystem::path folder = std::filesystem::absolute(dir).lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();  // mountinfo names it without a trailing slash
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (IsMountPoint(folder) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace

bool WIMMountImage(const wchar_t* mountPath, const wchar_t* wimPath, uint32_t index, const wchar_t* tempPath)
{
    BeginWimCall();
    MountRequest request;
    if (!posix::WimHostPath(mountPath, request.dir) || !posix::WimHostPath(wimPath, request.wim))
        return false;
    if (tempPath && *tempPath && !posix::WimHostPath(tempPath, request.staging))
        return false;
    struct stat st;
    if (::stat(request.dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return FailWim(err::PathNotFound, std::wstring());
    if (index == 0 || index > static_cast<uint32_t>(INT32_MAX))
        return FailWim(err::InvalidParameter, std::wstring());
    request.index = static_cast<int>(index);
    posix::StartWimlib();
    return Mount(request);
}

bool WIMUnmountImage(const wchar_t* mountPath, const wchar_t*, uint32_t, bool commit)
{
    // wimlib finds the mounted file by its folder alone.
    BeginWimCall();
    std::filesystem::path dir;
    if (!posix::WimHostPath(mountPath, dir))
        return false;
    posix::StartWimlib();
    if (!posix::CallWimlib(
            [&] { return wimlib_unmount_image(dir.c_str(), commit ? WIMLIB_UNMOUNT_FLAG_COMMIT : 0); }))
        return false;
    WaitUntilReleased(dir);
    return true;
}

}  // namespace quen::platform
