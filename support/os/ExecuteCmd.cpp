#include <quen/OsServices.h>

#include "platform/Errors.h"
#include "platform/Process.h"

bool CExecuteCmd::ExecuteProgram(const std::wstring& program, const std::wstring& arguments, uint32_t flags,
                                 uint32_t& exitCode)
{
    const bool throughInterpreter = flags == 0;
    if (quen::platform::RunProgram(program, arguments, throughInterpreter, exitCode))
        return true;

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
