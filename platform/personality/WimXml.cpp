#include "platform/personality/WimXml.h"

namespace quen::platform::personality {

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

}  // namespace quen::platform::personality
