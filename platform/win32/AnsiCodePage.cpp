// Windows: the system's ANSI code page.
#include "platform/AnsiTextFile.h"
#include "platform/win32/WindowsSupport.h"

#include <algorithm>
#include <climits>

namespace quen::platform {

std::wstring FromAnsiCodePage(std::string_view bytes)
{
    std::wstring text;
    while (!bytes.empty()) {
        // MultiByteToWideChar counts in int; a longer text goes in pieces
        // (every byte is one character in the single-byte code pages).
        const int count = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX / 2));
        const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
        const std::size_t at = text.size();
        text.resize(at + static_cast<std::size_t>(length));
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, text.data() + at, length);
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return text;
}

}  // namespace quen::platform
