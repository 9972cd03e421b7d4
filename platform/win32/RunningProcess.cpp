// Windows: the running process.
#include "platform/Process.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {

uint32_t CurrentThreadId() { return ::GetCurrentThreadId(); }

uint32_t CurrentProcessId() { return ::GetCurrentProcessId(); }

std::filesystem::path RunningProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: the buffer was too small
    }
}

// The C runtime's own split. Its rule for the program's name differs only
// for quotes inside the name, which no file name holds.
std::vector<std::wstring> RunningProgramArguments() { return SplitCommandLine(::GetCommandLineW()); }

}  // namespace quen::platform
