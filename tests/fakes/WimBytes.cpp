#include "fakes/WimBytes.h"

#include "foundation/WideString.h"

namespace quen::test {

std::string Utf16Le(std::wstring_view text)
{
    std::string bytes;
    for (const char16_t unit : ToUtf16(text)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string XmlTail(std::wstring_view xml) { return std::string("\xFF\xFE", 2) + Utf16Le(xml); }

std::string PlainHeader() { return std::string("MSWIM\0\0\0\xD0\0\0\0\0\x0D\x01\0", 16); }

}  // namespace quen::test
