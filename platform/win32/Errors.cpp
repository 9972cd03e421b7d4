#include "platform/Errors.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {

uint32_t LastError() { return ::GetLastError(); }

void SetLastErrorCode(uint32_t code) { ::SetLastError(code); }

std::wstring SystemErrorText(uint32_t code)
{
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    const DWORD length = ::FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer)
        text.assign(buffer, length);
    if (buffer)
        ::LocalFree(buffer);
    return text;
}

}  // namespace quen::platform
