// The system's text for an error code as one line, for Warning lines.
#pragma once

#include "platform/Errors.h"

#include <cstdint>
#include <string>

namespace quen::platform::win32 {

// Without the system's line end; "error <code>" when the system has no text.
inline std::wstring ErrorLine(uint32_t code)
{
    std::wstring text = SystemErrorText(code);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text.empty() ? L"error " + std::to_wstring(code) : text;
}

}  // namespace quen::platform::win32
