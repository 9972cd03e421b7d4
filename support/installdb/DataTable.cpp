#include <quen/InstallDB.h>

#include "foundation/WideString.h"
#include "platform/Text.h"

#include <array>
#include <limits>
#include <optional>

namespace {

const wchar_t* const Source = L".\\DataTable";

struct BoolWord {
    const wchar_t* text;
    bool value;
};

constexpr std::array<BoolWord, 6> BoolWords = {{
    {L"true", true}, {L"false", false}, {L"yes", true}, {L"no", false}, {L"1", true}, {L"0", false}}};

std::optional<int32_t> ParseInt32(std::wstring_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // One past the largest magnitude, so that -2147483648 fits.
    const long long limit = static_cast<long long>(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0);
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

bool CDataTable::NameLess::operator()(std::wstring_view a, std::wstring_view b) const
{
    return quen::platform::CompareNoCase(a, b) < 0;
}

CDataTable::CDataTable() = default;

CDataTable::CDataTable(std::wstring origin) : m_origin(std::move(origin)) {}

std::wstring CDataTable::operator[](std::wstring_view field) const { return GetFieldAsString(field, false); }

std::wstring CDataTable::GetFieldAsString(std::wstring_view field, bool mustExist) const
{
    const auto it = m_fields.find(field);
    if (it != m_fields.end())
        return it->second;
    if (mustExist)
        throw EDataException(quen::Format(L"Field \"%s\" is missing from record %s.", field, Label()), Source,
                             __LINE__);
    return std::wstring();
}

bool CDataTable::GetFieldAsBool(std::wstring_view field) const
{
    const auto it = m_fields.find(field);
    if (it == m_fields.end())
        throw ELibraryException(quen::Format(L"Field \"%s\" is missing from record %s.", field, Label()), Source,
                                __LINE__);
    for (const auto& word : BoolWords) {
        if (quen::platform::EqualsNoCase(it->second, word.text))
            return word.value;
    }
    throw EDataException(quen::Format(L"Field \"%s\" of record %s is not a boolean (true/false, yes/no, 1/0): \"%s\".",
                                      field, Label(), it->second),
                         Source, __LINE__);
}

int32_t CDataTable::GetFieldAsLong(std::wstring_view field) const
{
    const auto it = m_fields.find(field);
    if (it == m_fields.end())
        throw ELibraryException(quen::Format(L"Field \"%s\" is missing from record %s.", field, Label()), Source,
                                __LINE__);
    if (const auto value = ParseInt32(it->second))
        return *value;
    throw EDataException(
        quen::Format(L"Field \"%s\" of record %s is not a 32-bit number: \"%s\".", field, Label(), it->second), Source,
        __LINE__);
}

bool CDataTable::ContainsField(std::wstring_view field) const { return m_fields.find(field) != m_fields.end(); }

void CDataTable::SetField(std::wstring_view field, std::wstring text)
{
    // Erase first so that the new spelling of the name is the one kept.
    if (const auto it = m_fields.find(field); it != m_fields.end())
        m_fields.erase(it);
    m_fields.emplace(std::wstring(field), std::move(text));
}

std::wstring CDataTable::Label() const
{
    const auto it = m_fields.find(std::wstring_view(IdfFields::CustomerLabel));
    const bool named = it != m_fields.end() && !it->second.empty();
    if (named && !m_origin.empty())
        return quen::Format(L"\"%s\" (%s)", it->second, m_origin);
    if (named)
        return quen::Format(L"\"%s\"", it->second);
    return m_origin.empty() ? std::wstring(L"(unnamed)") : m_origin;
}
