#include <quen/Logging.h>
#include <quen/OsServices.h>

#include "platform/Errors.h"
#include "platform/Process.h"

namespace {

[[noreturn]] void ThrowUnableToStart(const std::wstring& program)
{
    const uint32_t error = quen::platform::LastError();
    std::wstring text = GetErrorText(error);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    if (text.empty())
        text = L"error " + std::to_wstring(error);
    ELibraryException e(L"Unable to start " + program + L": " + text, L".\\ExecuteCmd", __LINE__);
    e.SetErrorCode(error);
    throw e;
}

}  // namespace

bool CExecuteCmd::ExecuteProgram(const std::wstring& program, const std::wstring& arguments, uint32_t flags,
                                 uint32_t& exitCode)
{
    ExecuteProgram(program, arguments, flags, Options{}, exitCode);
    return true;
}

CExecuteCmd::EEnding CExecuteCmd::ExecuteProgram(const std::wstring& program, const std::wstring& arguments,
                                                 uint32_t flags, const Options& options, uint32_t& exitCode)
{
    quen::platform::ProgramWatch watch;
    watch.onOutputLine = [&options](const std::wstring& line) {
        quen::Log(eLogInfo) << options.logPrefix << line;
    };
    watch.timeoutSeconds = options.timeoutSeconds;
    watch.stop = options.stop;
    quen::platform::ProgramResult result;
    if (!quen::platform::RunProgram(program, arguments, flags == 0, watch, result))
        ThrowUnableToStart(program);
    if (result.outputBytesNotKept > 0)
        quen::Log(eLogInfo) << options.logPrefix << L"(" << result.outputBytesNotKept
                            << L" more bytes of output not logged)";
    exitCode = result.exitCode;
    switch (result.end) {
    case quen::platform::ProgramEnd::TimedOut: return eTimedOut;
    case quen::platform::ProgramEnd::Stopped: return eStopped;
    case quen::platform::ProgramEnd::Exited: break;
    }
    return eExited;
}
