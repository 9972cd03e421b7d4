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

// A console program writes its own text in the console's code page, which
// for a console of its own is the OEM code page.
std::wstring OutputText(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    std::wstring text(static_cast<std::size_t>(::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, nullptr, 0)),
                      L'\0');
    ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, text.data(), static_cast<int>(text.size()));
    return text;
}

// The bytes the pipe holds now, without waiting for more; false once no
// process holds its writing end any more.
bool DrainAvailable(HANDLE pipe, ProgramOutput& output, bool& got)
{
    got = false;
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
        return false;
    if (available == 0)
        return true;
    std::string bytes(available, '\0');
    DWORD read = 0;
    if (!::ReadFile(pipe, bytes.data(), available, &read, nullptr))
        return false;
    output.Add(std::string_view(bytes).substr(0, read));
    got = read > 0;
    return true;
}

// The list of the only handles the program inherits.
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : m_handles(std::move(handles))
    {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_buffer.resize(size);
        const auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data());
        m_ok = ::InitializeProcThreadAttributeList(list, 1, 0, &size) != 0;
        if (m_ok && !::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, m_handles.data(),
                                                 m_handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
            ::DeleteProcThreadAttributeList(list);
            m_ok = false;
        }
    }
    ~InheritedHandles()
    {
        if (m_ok)
            ::DeleteProcThreadAttributeList(List());
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    bool Ok() const { return m_ok; }
    LPPROC_THREAD_ATTRIBUTE_LIST List() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data()); }

private:
    std::vector<HANDLE> m_handles;
    std::vector<char> m_buffer;
    bool m_ok = false;
};

// A job that ends its processes when its last handle closes: the host's
// death ends the program and everything it started.
ScopedHandle KillOnCloseJob()
{
    ScopedHandle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job.Valid() &&
        !::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.Reset();
    return job;
}

// A program that ended by itself leaves what it started running, as it would
// without the job.
void ReleaseJob(ScopedHandle& job)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    ::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    job.Reset();
}

}  // namespace

bool RunProgram(const std::wstring& program, const std::wstring& arguments, bool throughInterpreter,
                const ProgramWatch& watch, ProgramResult& result)
{
    result = ProgramResult{};
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

    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 64 * 1024))
        return false;
    const ScopedHandle pipe(readEnd);
    ScopedHandle pipeWriter(writeEnd);
    ::SetHandleInformation(pipe.Get(), HANDLE_FLAG_INHERIT, 0);
    const ScopedHandle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                           OPEN_EXISTING, 0, nullptr));
    if (!input.Valid())
        return false;
    InheritedHandles inherited({input.Get(), pipeWriter.Get()});
    if (!inherited.Ok())
        return false;

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input.Get();
    startup.StartupInfo.hStdOutput = pipeWriter.Get();
    startup.StartupInfo.hStdError = pipeWriter.Get();
    startup.lpAttributeList = inherited.List();
    // A process group and a hidden console of its own: no Ctrl-C or
    // Ctrl-Break of the host's console reaches it. Suspended until it is in
    // its job, so that nothing it starts escapes the job.
    const DWORD creation =
        CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, /*bInheritHandles=*/TRUE,
                          creation, nullptr, nullptr, &startup.StartupInfo, &started))
        return false;
    const ScopedHandle process(started.hProcess);
    const ScopedHandle thread(started.hThread);
    pipeWriter.Reset();
    // Without a job (a host in a job that allows none below it) the program
    // still runs; a time limit or a stop then ends the program alone.
    ScopedHandle job = KillOnCloseJob();
    if (job.Valid() && !::AssignProcessToJobObject(job.Get(), process.Get()))
        job.Reset();
    ::ResumeThread(thread.Get());

    ProgramOutput output([&watch](std::string_view line) {
        if (watch.onOutputLine)
            watch.onOutputLine(OutputText(line));
    });
    const ULONGLONG start = ::GetTickCount64();
    bool pipeOpen = true;
    for (;;) {
        bool got = false;
        if (pipeOpen)
            pipeOpen = DrainAvailable(pipe.Get(), output, got);
        if (watch.stop && watch.stop->load())
            result.end = ProgramEnd::Stopped;
        else if (watch.timeoutSeconds && ::GetTickCount64() - start >= watch.timeoutSeconds * 1000ull)
            result.end = ProgramEnd::TimedOut;
        if (result.end != ProgramEnd::Exited) {
            const UINT code = result.end == ProgramEnd::Stopped ? ERROR_CANCELLED : ERROR_TIMEOUT;
            if (!job.Valid() || !::TerminateJobObject(job.Get(), code))
                ::TerminateProcess(process.Get(), code);
            ::WaitForSingleObject(process.Get(), INFINITE);
            break;
        }
        // Anonymous pipes cannot be waited on: the pipe is looked at every
        // few milliseconds, at once again after output came.
        const DWORD waited = ::WaitForSingleObject(process.Get(), got ? 0 : 10);
        if (waited == WAIT_OBJECT_0)
            break;
        if (waited == WAIT_FAILED)
            return false;
    }
    bool got = false;
    if (pipeOpen)
        DrainAvailable(pipe.Get(), output, got);
    output.Finish();
    result.outputBytesNotKept = output.BytesNotKept();
    if (job.Valid() && result.end == ProgramEnd::Exited)
        ReleaseJob(job);

    DWORD code = 0;
    if (!::GetExitCodeProcess(process.Get(), &code))
        return false;
    result.exitCode = code;
    return true;
}

}  // namespace quen::platform
