#include "support/installdb/DatabaseReader.h"

#include "foundation/WideString.h"
#include "platform/Text.h"
#include "support/installdb/TextPosition.h"

#include <nlohmann/json.hpp>

#include <array>
#include <iterator>

namespace quen::installdb {
namespace {

using Json = nlohmann::json;

const wchar_t* const Source = L".\\InstallDB";

// Hands the text to the parser and counts the bytes the parser has taken, so
// that each event can be placed in the file: the parser itself reports a
// position only with its own errors.
class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* at, const char* begin, std::size_t* taken) : m_at(at), m_begin(begin), m_taken(taken)
    {
    }

    reference operator*() const { return *m_at; }
    CountingIterator& operator++()
    {
        ++m_at;
        *m_taken = static_cast<std::size_t>(m_at - m_begin);
        return *this;
    }
    CountingIterator operator++(int)
    {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return m_at == other.m_at; }

private:
    const char* m_at;
    const char* m_begin;
    std::size_t* m_taken;
};

// The four parts of a database: two records and two lists of records.
struct Part {
    const wchar_t* name;
    CDataTable DatabaseContents::*record;
    CDataTableList DatabaseContents::*list;
};

const std::array<Part, 4> Parts = {{
    {L"image", &DatabaseContents::image, nullptr},
    {L"foundationImage", &DatabaseContents::foundationImage, nullptr},
    {L"applications", nullptr, &DatabaseContents::applications},
    {L"modules", nullptr, &DatabaseContents::modules},
}};

bool IsLiteralByte(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' || c == '-' ||
           c == '.';
}

// Where the token starts that the parser has just taken, given the count of
// bytes it has taken: a string's opening quote, a bracket, or the first
// character of a number or literal (the parser reads one byte past a number).
std::size_t TokenStart(std::string_view text, std::size_t taken)
{
    if (taken == 0)
        return 0;
    std::size_t at = taken - 1;
    if (text[at] == '"') {
        while (at > 0) {
            --at;
            std::size_t backslashes = 0;
            while (backslashes < at && text[at - 1 - backslashes] == '\\')
                ++backslashes;
            if (text[at] == '"' && backslashes % 2 == 0)
                return at;
        }
        return at;
    }
    if (text[at] == '{' || text[at] == '[')
        return at;
    if (!IsLiteralByte(text[at]) && at > 0)
        --at;
    while (at > 0 && IsLiteralByte(text[at - 1]))
        --at;
    return at;
}

// The parser's own description of a syntax error, without its prefix and
// position ("[json.exception.parse_error.101] parse error at line 1, column 2: ").
std::wstring ParserReason(const char* what)
{
    const std::string_view text(what);
    const std::size_t colon = text.find(": ");
    return FromUtf8Lossy(colon == std::string_view::npos ? text : text.substr(colon + 2));
}

// Builds the records from the parser's events: an object of up to four parts,
// two records and two lists of records, each record an object of texts.
class DatabaseHandler {
public:
    DatabaseHandler(std::string_view text, const std::size_t& taken, const std::wstring& path)
        : m_text(text), m_taken(taken), m_path(path)
    {
    }

    bool null() { WrongType(L"null"); }
    bool boolean(bool) { WrongType(L"a boolean"); }
    bool number_integer(Json::number_integer_t) { WrongType(L"a number"); }
    bool number_unsigned(Json::number_unsigned_t) { WrongType(L"a number"); }
    bool number_float(Json::number_float_t, const Json::string_t&) { WrongType(L"a number"); }
    bool binary(Json::binary_t&) { WrongType(L"binary data"); }

    bool string(Json::string_t& text)
    {
        if (m_state != State::FieldValue)
            WrongType(L"a text");
        m_record.SetField(m_field, FromUtf8Lossy(text));
        m_state = State::Record;
        return true;
    }

    bool start_object(std::size_t)
    {
        if (m_state == State::Top) {
            m_state = State::TopKeys;
        } else if (m_state == State::PartValue && CurrentPart().record) {
            BeginRecord(CurrentPart().name);
        } else if (m_state == State::List) {
            BeginRecord(Format(L"%s[%zu]", CurrentPart().name, CurrentList().Size()));
        } else {
            WrongType(L"an object");
        }
        return true;
    }

    bool key(Json::string_t& utf8)
    {
        const std::wstring name = FromUtf8Lossy(utf8);
        if (m_state == State::TopKeys) {
            m_part = FindPart(name);
            m_seen[m_part] = true;
            m_state = State::PartValue;
        } else {
            if (m_record.ContainsField(name))
                Fail(TokenStart(m_text, m_taken),
                     Format(L"%s has the field \"%s\" twice (field names are compared without regard to case).",
                            m_recordName, name));
            m_field = name;
            m_state = State::FieldValue;
        }
        return true;
    }

    bool end_object()
    {
        if (m_state == State::TopKeys) {
            m_state = State::Done;
        } else if (CurrentPart().list) {
            CurrentList().Add(std::move(m_record));
            m_state = State::List;
        } else {
            m_contents.*CurrentPart().record = std::move(m_record);
            m_state = State::TopKeys;
        }
        return true;
    }

    bool start_array(std::size_t)
    {
        if (m_state != State::PartValue || !CurrentPart().list)
            WrongType(L"a list");
        m_state = State::List;
        return true;
    }

    bool end_array()
    {
        m_state = State::TopKeys;
        return true;
    }

    bool parse_error(std::size_t taken, const std::string&, const nlohmann::detail::exception& error)
    {
        // `taken` counts the offending byte too.
        Fail(taken == 0 ? 0 : taken - 1, ParserReason(error.what()) + L".");
    }

    DatabaseContents Take() { return std::move(m_contents); }

private:
    enum class State { Top, TopKeys, PartValue, List, Record, FieldValue, Done };

    const Part& CurrentPart() const { return Parts[m_part]; }
    CDataTableList& CurrentList() { return m_contents.*CurrentPart().list; }
    const CDataTableList& CurrentList() const { return m_contents.*CurrentPart().list; }

    std::size_t FindPart(const std::wstring& name)
    {
        for (std::size_t i = 0; i < Parts.size(); ++i) {
            if (!platform::EqualsNoCase(name, Parts[i].name))
                continue;
            if (m_seen[i])
                Fail(TokenStart(m_text, m_taken), Format(L"the key \"%s\" stands twice.", name));
            return i;
        }
        Fail(TokenStart(m_text, m_taken),
             Format(L"unknown key \"%s\"; the keys are image, foundationImage, applications and modules.", name));
    }

    void BeginRecord(std::wstring name)
    {
        m_record = CDataTable(Format(L"%s of %s", name, m_path));
        m_recordName = std::move(name);
        m_state = State::Record;
    }

    [[noreturn]] void WrongType(const wchar_t* found) const
    {
        std::wstring what;
        switch (m_state) {
        case State::Top:
            what = Format(L"the database must be an object, not %s.", found);
            break;
        case State::PartValue:
            what = CurrentPart().list ? Format(L"\"%s\" must be a list of records, not %s.", CurrentPart().name, found)
                                        : Format(L"\"%s\" must be a record (an object), not %s.", CurrentPart().name,
                                                 found);
            break;
        case State::List:
            what = Format(L"%s[%zu] must be a record (an object), not %s.", CurrentPart().name,
                          CurrentList().Size(), found);
            break;
        default:
            what = Format(L"the field \"%s\" of %s must be a text, not %s.", m_field, m_recordName, found);
            break;
        }
        Fail(TokenStart(m_text, m_taken), what);
    }

    [[noreturn]] void Fail(std::size_t offset, const std::wstring& what) const
    {
        const TextPosition at = PositionInUtf8(m_text, offset);
        throw EDataException(AtPosition(InstallDatabaseDocument, m_path, at, what), Source, __LINE__);
    }

    std::string_view m_text;
    const std::size_t& m_taken;
    const std::wstring& m_path;
    State m_state = State::Top;
    std::size_t m_part = 0;
    std::array<bool, Parts.size()> m_seen{};
    CDataTable m_record;
    std::wstring m_recordName;
    std::wstring m_field;
    DatabaseContents m_contents;
};

}  // namespace

DatabaseContents ParseInstallDatabase(std::string_view bytes, const std::wstring& path)
{
    std::size_t taken = 0;
    DatabaseHandler handler(bytes, taken, path);
    const CountingIterator first(bytes.data(), bytes.data(), &taken);
    const CountingIterator last(bytes.data() + bytes.size(), bytes.data(), &taken);
    // Every error throws from the handler, so a parse that returns succeeded.
    Json::sax_parse(first, last, &handler);
    return handler.Take();
}

}  // namespace quen::installdb
