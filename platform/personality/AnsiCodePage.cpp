// Windows-1252: bytes 0x80 to 0x9F are its own characters; the five it leaves
// undefined map to the same-numbered control characters, as
// MultiByteToWideChar maps them. Every other byte is its Latin-1 character.
#include "platform/personality/AnsiCodePage.h"

namespace quen::platform::personality {
namespace {

constexpr wchar_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::wstring FromWindows1252(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : static_cast<wchar_t>(byte);
    }
    return text;
}

}  // namespace quen::platform::personality
