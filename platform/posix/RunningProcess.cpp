// POSIX: the running process, as Linux describes it below /proc/self.
#include "platform/Process.h"

#include "foundation/WideString.h"

#include <fstream>
#include <sys/syscall.h>
#include <unistd.h>

namespace quen::platform {

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

std::filesystem::path RunningProgramPath()
{
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

std::vector<std::wstring> RunningProgramArguments()
{
    // The arguments one after another, each ended by a zero byte.
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::wstring> arguments;
    for (std::string argument; std::getline(in, argument, '\0');)
        arguments.push_back(FromUtf8Lossy(argument));
    return arguments;
}

}  // namespace quen::platform
