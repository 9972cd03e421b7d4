#include "support/installdb/TextPosition.h"

#include "foundation/WideString.h"

#include <algorithm>

namespace quen::installdb {

TextPosition PositionInUtf8(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    std::size_t lineStart = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        lineStart = std::min<std::size_t>(3, offset);
    TextPosition position;
    for (std::size_t i = lineStart; i < offset; ++i) {
        if (text[i] == '\n') {
            ++position.line;
            lineStart = i + 1;
        }
    }
    for (std::size_t i = lineStart; i < offset; ++i) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++position.column;
    }
    return position;
}

std::wstring AtPosition(std::wstring_view document, const std::wstring& path, TextPosition position,
                        std::wstring_view what)
{
    return Format(L"%s %s, line %zu, column %zu: %s", document, path, position.line, position.column, what);
}

}  // namespace quen::installdb
