// The value helpers shared by both registry implementations: Windows bytes of
// the common types, and the text of a string value.
#include "platform/Registry.h"

#include "foundation/WideString.h"

namespace quen::platform {
namespace {

void AppendUtf16Le(std::vector<uint8_t>& data, std::wstring_view text)
{
    const std::string bytes = ToUtf16Le(text);
    data.insert(data.end(), bytes.begin(), bytes.end());
}

void AppendTerminator(std::vector<uint8_t>& data)
{
    data.push_back(0);
    data.push_back(0);
}

template <typename T>
RegValue LittleEndian(uint32_t type, T value)
{
    RegValue result;
    result.type = type;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        result.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return result;
}

}  // namespace

RegValue RegString(const std::wstring& text, uint32_t type)
{
    RegValue value;
    value.type = type;
    AppendUtf16Le(value.data, text);
    AppendTerminator(value.data);
    return value;
}

RegValue RegDword(uint32_t value) { return LittleEndian(regtype::Dword, value); }

RegValue RegQword(uint64_t value) { return LittleEndian(regtype::Qword, value); }

RegValue RegMultiString(const std::vector<std::wstring>& texts)
{
    RegValue value;
    value.type = regtype::MultiSz;
    for (const auto& text : texts) {
        AppendUtf16Le(value.data, text);
        AppendTerminator(value.data);
    }
    // The list ends with an empty text; an empty list is that empty text alone.
    AppendTerminator(value.data);
    return value;
}

std::wstring RegValueText(const RegValue& value)
{
    if (value.type != regtype::Sz && value.type != regtype::ExpandSz)
        return std::wstring();
    return FromZeroTerminatedUtf16Le({reinterpret_cast<const char*>(value.data.data()), value.data.size()});
}

}  // namespace quen::platform
