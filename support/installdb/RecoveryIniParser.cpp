#include "support/installdb/RecoveryIniParser.h"

#include "foundation/WideString.h"
#include "platform/Text.h"
#include "support/installdb/TextPosition.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace quen::installdb {
namespace {

const wchar_t* const Source = L".\\QuenHDRecoveryIni";

[[noreturn]] void Fail(const std::wstring& path, TextPosition at, const std::wstring& what)
{
    throw EDataException(AtPosition(RecoveryIniDocument, path, at, what), Source, __LINE__);
}

// The length of the UTF-8 sequence that `lead` begins; 0 for a byte that
// begins none.
std::size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead >> 5) == 0x6)
        return 2;
    if ((lead >> 4) == 0xE)
        return 3;
    return (lead >> 3) == 0x1E ? 4 : 0;
}

// Offset of the first byte that does not begin a valid UTF-8 sequence.
std::size_t FirstInvalidUtf8(std::string_view bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = SequenceLength(static_cast<unsigned char>(bytes[at]));
        if (length == 0 || at + length > bytes.size() || !FromUtf8(bytes.substr(at, length)))
            return at;
        at += length;
    }
    return at;
}

TextPosition EndOf(std::wstring_view text)
{
    const std::size_t lastBreak = text.rfind(L'\n');
    TextPosition end;
    end.line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), L'\n'));
    end.column = 1 + (lastBreak == std::wstring_view::npos ? text.size() : text.size() - lastBreak - 1);
    return end;
}

// UTF-16LE when the file begins with its byte-order mark, else UTF-8 (with or
// without a byte-order mark).
std::wstring Decode(std::string_view bytes, const std::wstring& path)
{
    if (bytes.starts_with(kUtf16LeBom)) {
        const std::string_view body = bytes.substr(kUtf16LeBom.size());
        std::wstring text = FromUtf16Le(body);
        if (body.size() % 2 != 0)
            Fail(path, EndOf(text), L"the file ends in the middle of a UTF-16 character.");
        return text;
    }
    const std::size_t bom = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    if (auto text = FromUtf8(bytes.substr(bom)))
        return *std::move(text);
    Fail(path, PositionInUtf8(bytes, bom + FirstInvalidUtf8(bytes.substr(bom))),
         L"the text is not valid UTF-8 (the file must be UTF-8, or UTF-16LE with a byte-order mark).");
}

std::size_t FirstNonBlank(std::wstring_view line, std::size_t from)
{
    while (from < line.size() && platform::IsSpace(line[from]))
        ++from;
    return from;
}

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && platform::IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && platform::IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The N of a "DiscN" key: decimal digits, 1 or more, within int.
std::optional<int> DiscNumber(std::wstring_view digits)
{
    if (digits.empty())
        return std::nullopt;
    long long value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    if (value == 0)
        return std::nullopt;
    return static_cast<int>(value);
}

std::vector<std::wstring> Entries(std::wstring_view value)
{
    std::vector<std::wstring> entries;
    while (true) {
        const std::size_t separator = value.find(L';');
        const std::wstring_view entry = Trim(value.substr(0, separator));
        if (!entry.empty())
            entries.emplace_back(entry);
        if (separator == std::wstring_view::npos)
            return entries;
        value.remove_prefix(separator + 1);
    }
}

class Parser {
public:
    explicit Parser(const std::wstring& path) : m_path(path) {}

    std::vector<CQuenHDRecoveryIni::MediaType> Run(std::wstring_view text)
    {
        while (!text.empty()) {
            const std::size_t end = text.find(L'\n');
            std::wstring_view line = text.substr(0, end);
            text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
            if (!line.empty() && line.back() == L'\r')
                line.remove_suffix(1);
            ++m_line;
            Line(line);
        }
        return std::move(m_mediaTypes);
    }

private:
    void Line(std::wstring_view line)
    {
        const std::size_t first = FirstNonBlank(line, 0);
        if (first == line.size() || line[first] == L';' || line[first] == L'#')
            return;
        if (line[first] == L'[')
            Section(line, first);
        else
            Key(line, first);
    }

    void Section(std::wstring_view line, std::size_t open)
    {
        const std::size_t close = line.find(L']', open);
        if (close == std::wstring_view::npos)
            Fail(open, L"the section header has no closing \"]\".");
        const std::wstring name(Trim(line.substr(open + 1, close - open - 1)));
        if (name.empty())
            Fail(open, L"the section header names no media type.");
        const std::size_t rest = FirstNonBlank(line, close + 1);
        if (rest != line.size())
            Fail(rest, L"nothing may follow a section header on its line.");
        for (const auto& media : m_mediaTypes) {
            if (platform::EqualsNoCase(media.name, name))
                Fail(open, Format(L"the section [%s] stands twice (media types are compared without regard to case).",
                                  name));
        }
        m_mediaTypes.push_back({name, {}});
        m_otherKeys.clear();
    }

    void Key(std::wstring_view line, std::size_t first)
    {
        const std::size_t equals = line.find(L'=', first);
        if (equals == std::wstring_view::npos)
            Fail(first, L"the line is neither a [section], a key=value line nor a comment.");
        const std::wstring key(Trim(line.substr(first, equals - first)));
        if (key.empty())
            Fail(first, L"the line has no key before \"=\".");
        if (m_mediaTypes.empty())
            Fail(first, Format(L"the key \"%s\" stands outside any [section].", key));
        auto& media = m_mediaTypes.back();

        if (key.size() < 4 || !platform::EqualsNoCase(std::wstring_view(key).substr(0, 4), L"Disc")) {
            // Keys other than discs may carry whatever a tool needs; they are
            // checked for repeats only.
            for (const auto& other : m_otherKeys) {
                if (platform::EqualsNoCase(other, key))
                    Fail(first, Format(L"the key \"%s\" stands twice in [%s].", key, media.name));
            }
            m_otherKeys.push_back(key);
            return;
        }
        const auto number = DiscNumber(std::wstring_view(key).substr(4));
        if (!number)
            Fail(first, Format(L"the key \"%s\" is not Disc followed by a disc number from 1.", key));
        for (const auto& disc : media.discs) {
            if (disc.number == *number)
                Fail(first, Format(L"disc %d is listed twice in [%s].", *number, media.name));
        }
        media.discs.push_back({*number, Entries(line.substr(equals + 1))});
    }

    [[noreturn]] void Fail(std::size_t index, const std::wstring& what) const
    {
        installdb::Fail(m_path, TextPosition{m_line, index + 1}, what);
    }

    const std::wstring& m_path;
    std::size_t m_line = 0;
    std::vector<CQuenHDRecoveryIni::MediaType> m_mediaTypes;
    std::vector<std::wstring> m_otherKeys;  // of the current section
};

}  // namespace

std::vector<CQuenHDRecoveryIni::MediaType> ParseRecoveryIni(std::string_view bytes, const std::wstring& path)
{
    return Parser(path).Run(Decode(bytes, path));
}

}  // namespace quen::installdb
