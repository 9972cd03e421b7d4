#include "platform/posix/WimXml.h"

namespace quen::platform::posix {

std::u16string Utf16FromBytes(const void* bytes, std::size_t size)
{
    const auto* in = static_cast<const unsigned char*>(bytes);
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8));
    return text;
}

std::string BytesFromUtf16(std::u16string_view text)
{
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes;
}

bool FindImageElement(std::u16string_view xml, int index, std::u16string& element)
{
    std::u16string start = u"<IMAGE INDEX=\"";
    for (const char digit : std::to_string(index))
        start.push_back(static_cast<char16_t>(digit));
    start.push_back(u'"');
    const std::size_t begin = xml.find(start);
    if (begin == std::u16string_view::npos)
        return false;
    constexpr std::u16string_view kEnd = u"</IMAGE>";
    const std::size_t end = xml.find(kEnd, begin);
    if (end == std::u16string_view::npos)
        return false;
    element = xml.substr(begin, end + kEnd.size() - begin);
    return true;
}

}  // namespace quen::platform::posix
