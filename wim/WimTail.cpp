#include "wim/WimTail.h"

#include "foundation/WideString.h"
#include "platform/Text.h"

namespace quen::wim {

bool IsXmlStart(const unsigned char* bytes)
{
    static constexpr unsigned char kWim[] = {'<', 0, 'W', 0, 'I', 0, 'M', 0, '>', 0};
    if (bytes[0] != 0xFF || (bytes[1] != 0xFE && bytes[1] != 0xFF))
        return false;
    for (std::size_t i = 0; i < sizeof kWim; ++i) {
        if (bytes[2 + i] != kWim[i])
            return false;
    }
    return true;
}

std::size_t FindLastXmlStart(std::string_view tail)
{
    if (tail.size() < kMarkBytes)
        return std::string_view::npos;
    const auto* bytes = reinterpret_cast<const unsigned char*>(tail.data());
    for (std::size_t start = tail.size() - kMarkBytes + 1; start-- > 0;) {
        if (IsXmlStart(bytes + start))
            return start;
    }
    return std::string_view::npos;
}

bool FirstImageValue(std::string_view text, const std::wstring& name, std::wstring& value)
{
    const std::wstring xml = FromZeroTerminatedUtf16Le(text);
    const std::size_t image = xml.find(L"<IMAGE");
    if (image == std::wstring::npos)
        return false;
    const std::size_t open = xml.find(L"<" + name + L">", image);
    const std::size_t close = xml.find(L"</" + name + L">", image);
    if (open == std::wstring::npos || close == std::wstring::npos)
        return false;
    const std::size_t start = open + name.size() + 2;
    std::wstring found = close > start ? xml.substr(start, close - start) : std::wstring();
    std::size_t first = 0;
    std::size_t last = found.size();
    while (first < last && platform::IsSpace(found[first]))
        ++first;
    while (last > first && platform::IsSpace(found[last - 1]))
        --last;
    value = found.substr(first, last - first);
    return true;
}

}  // namespace quen::wim
