// Windows: starting programs with CreateProcessW.
//
// A direct start gets the command line `"program" arguments`: the program
// quoted (a Windows name holds no quote), the argument text as given, for the
// program's runtime to split. The command interpreter gets
// `"%ComSpec%" /s /c ""program" arguments"`: with /s, cmd drops the first and
// the last quote of what follows /c and runs the rest as written, so a
// program path with blanks stays one word.
#include "platform/Process.h"
#include "platform/win32/WindowsSupport.h"

#include "platform/Environment.h"
#include "platform/Paths.h"

namespace quen::platform {
namespace {

using win32::Fail;
using win32::ScopedHandle;

std::wstring Interpreter()
{
    std::wstring comspec;
    if (GetEnvVar(L"ComSpec", comspec) && !comspec.empty())
        return comspec;
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system, length < MAX_PATH ? length : 0) + L"\\cmd.exe";
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

}  // namespace

bool RunProgram(const std::wstring& program, const std::wstring& arguments, bool throughInterpreter,
                uint32_t& exitCode)
{
    if (program.empty())
        return Fail(ERROR_FILE_NOT_FOUND);
    std::wstring full;
    if (!FullPath(program, full))
        return false;
    // cmd.exe would start and report a missing program through its own exit
    // code, and Windows refuses to start a folder with an unhelpful code; both
    // are refused here with the codes of a failed start.
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED);

    std::wstring application = full;
    std::wstring commandLine = Quoted(full) + (arguments.empty() ? L"" : L" " + arguments);
    if (throughInterpreter || IsBatchFile(full)) {
        application = Interpreter();
        commandLine = Quoted(application) + L" /s /c " + Quoted(commandLine);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, /*bInheritHandles=*/FALSE, 0,
                          nullptr, nullptr, &startup, &started))
        return false;
    const ScopedHandle process(started.hProcess);
    const ScopedHandle thread(started.hThread);

    DWORD code = 0;
    if (::WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process.Get(), &code))
        return false;
    exitCode = code;
    return true;
}

}  // namespace quen::platform
