// The XML description at the end of a WIM file, as the image tags read it:
// it starts with the UTF-16LE byte-order mark and "<WIM>" (FF FE, or FF FF,
// then 3C 00 57 00 49 00 4D 00 3E 00) within the file's last 32,768 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quen::wim {

inline constexpr std::size_t kTailBytes = 32768;
inline constexpr std::size_t kMarkBytes = 12;

// Whether the 12 bytes at `bytes` are the start mark.
bool IsXmlStart(const unsigned char* bytes);
// The offset in `tail` (the file's last bytes) of the start mark nearest the
// end that begins at least 12 bytes before it; npos when there is none.
std::size_t FindLastXmlStart(std::string_view tail);
// The value of element `name` (compared exactly) in the first image's
// description or after it, trimmed of white space: `text` is the XML from
// just after the byte-order mark, as UTF-16LE bytes (an odd last byte is
// dropped), and ends at its first zero character.
bool FirstImageValue(std::string_view text, const std::wstring& name, std::wstring& value);

}  // namespace quen::wim
