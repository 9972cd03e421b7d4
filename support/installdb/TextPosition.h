// Where in a document something stands, and how messages name that place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quen::installdb {

struct TextPosition {
    std::size_t line = 1;    // from 1; lines end at '\n'
    std::size_t column = 1;  // from 1, in characters
};

// The position of byte `offset` of UTF-8 text (an offset past the end stands
// just after the last character). A leading byte-order mark is not counted.
TextPosition PositionInUtf8(std::string_view text, std::size_t offset);

// "Install database C:\Image\image.json, line 3, column 5: " + what.
std::wstring AtPosition(std::wstring_view document, const std::wstring& path, TextPosition position,
                        std::wstring_view what);

}  // namespace quen::installdb
