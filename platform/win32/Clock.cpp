#include "platform/Clock.h"
#include "platform/win32/WindowsSupport.h"

#include "foundation/WideString.h"

namespace quen::platform {

std::wstring LocalTimestamp()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return Format(L"%04d-%02d-%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                  t.wMilliseconds);
}

}  // namespace quen::platform
