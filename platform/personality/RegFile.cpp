// POSIX personality: writing and reading the `.reg` text of the registry store.
#include "platform/personality/RegFile.h"

#include "foundation/WideString.h"
#include "platform/Text.h"

namespace quen::platform::personality::regfile {
namespace {

// reg export breaks a hex line after the comma that brings it to this width,
// and starts the next line with two blanks.
constexpr std::size_t kHexWrapWidth = 77;
constexpr wchar_t kHexDigits[] = L"0123456789abcdef";

// The UTF-16 length of a text, as ToUtf16 would encode it.
std::size_t Utf16Length(std::wstring_view text)
{
    std::size_t units = text.size();
    for (const wchar_t c : text)
        units += static_cast<uint32_t>(c) >= 0x10000 && static_cast<uint32_t>(c) <= 0x10FFFF;
    return units;
}

std::wstring Escaped(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            out += L'\\';
        out += c;
    }
    return out;
}

std::wstring NamePart(const std::wstring& name) { return name.empty() ? L"@=" : L"\"" + Escaped(name) + L"\"="; }

std::wstring KeyText(RegRoot root, const KeyPath& key)
{
    std::wstring text(RootName(root));
    for (const auto& part : key)
        text += L'\\' + part;
    return text;
}

// The text of a REG_SZ that "..." holds byte for byte: UTF-16 with one
// terminating zero at its end, no other zero, no line break (a line of the
// file cannot hold one) and no unpaired surrogate. Other REG_SZ data is
// written as hex(1).
bool PlainText(const std::vector<uint8_t>& data, std::wstring& text)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    std::u16string units = Utf16FromLe({reinterpret_cast<const char*>(data.data()), data.size()});
    if (units.back() != 0)
        return false;
    units.pop_back();
    if (units.find_first_of(std::u16string_view(u"\0\r\n", 3)) != std::u16string::npos || !IsWellFormedUtf16(units))
        return false;
    text = FromUtf16(units);
    return true;
}

std::wstring HexData(const RegValue& value, std::size_t column)
{
    std::wstring out = value.type == regtype::Binary ? std::wstring(L"hex:") : Format(L"hex(%x):", value.type);
    column += out.size();
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        out += kHexDigits[value.data[i] >> 4];
        out += kHexDigits[value.data[i] & 0xF];
        if (i + 1 == value.data.size())
            break;
        out += L',';
        column += 3;
        if (column >= kHexWrapWidth) {
            out += L"\\\r\n  ";
            column = 2;
        }
    }
    return out;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimLeft(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::wstring_view TrimRight(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

int HexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// One to `maxDigits` hexadecimal digits and nothing else.
bool ReadHexNumber(std::wstring_view text, std::size_t maxDigits, uint32_t& number)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    number = 0;
    for (const wchar_t c : text) {
        const int digit = HexValue(c);
        if (digit < 0)
            return false;
        number = number * 16 + static_cast<uint32_t>(digit);
    }
    return true;
}

// Reads a "..." text at the front of `text` and moves past its closing quote.
bool ReadQuoted(std::wstring_view& text, std::wstring& out, std::wstring& reason)
{
    out.clear();
    for (std::size_t i = 1; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'"') {
            text.remove_prefix(i + 1);
            return true;
        }
        if (c == L'\\') {
            if (i + 1 == text.size() || (text[i + 1] != L'\\' && text[i + 1] != L'"')) {
                reason = L"a backslash inside quotes must be followed by \\ or \"";
                return false;
            }
            c = text[++i];
        }
        out += c;
    }
    reason = L"a quoted text has no closing '\"'";
    return false;
}

// `"name"=` or `@=` at the front of a value line; leaves the data in `text`.
bool ReadName(std::wstring_view& text, std::wstring& name, std::wstring& reason)
{
    if (text.front() == L'@') {
        name.clear();
        text.remove_prefix(1);
    } else if (!ReadQuoted(text, name, reason)) {
        return false;
    }
    text = TrimLeft(text);
    if (text.empty() || text.front() != L'=') {
        reason = L"'=' must follow the value name";
        return false;
    }
    text = TrimLeft(text.substr(1));
    return true;
}

bool ReadHexBytes(std::wstring_view text, std::vector<uint8_t>& bytes)
{
    text = TrimRight(text);
    while (!text.empty()) {
        const std::size_t comma = text.find(L',');
        uint32_t byte = 0;
        if (!ReadHexNumber(TrimRight(TrimLeft(text.substr(0, comma))), 2, byte))
            return false;
        bytes.push_back(static_cast<uint8_t>(byte));
        if (comma == std::wstring_view::npos)
            break;
        text = TrimLeft(text.substr(comma + 1));
    }
    return true;
}

// The data after `=`: `-`, "text", dword:, hex: or hex(type):.
bool ReadData(std::wstring_view text, bool& deletion, RegValue& value, std::wstring& reason)
{
    deletion = false;
    if (TrimRight(text) == L"-") {
        deletion = true;
        return true;
    }
    if (!text.empty() && text.front() == L'"') {
        std::wstring content;
        if (!ReadQuoted(text, content, reason))
            return false;
        if (!TrimRight(text).empty()) {
            reason = L"unexpected text after the closing '\"'";
            return false;
        }
        value = RegString(content);
        return true;
    }
    if (StartsWithNoCase(text, L"dword:")) {
        uint32_t number = 0;
        if (!ReadHexNumber(TrimRight(text.substr(6)), 8, number)) {
            reason = L"dword: must be followed by one to eight hexadecimal digits";
            return false;
        }
        value = RegDword(number);
        return true;
    }
    if (StartsWithNoCase(text, L"hex")) {
        text.remove_prefix(3);
        value.type = regtype::Binary;
        if (!text.empty() && text.front() == L'(') {
            const std::size_t close = text.find(L')');
            if (close == std::wstring_view::npos || !ReadHexNumber(text.substr(1, close - 1), 8, value.type)) {
                reason = L"hex( must hold a hexadecimal type number and ')'";
                return false;
            }
            text.remove_prefix(close + 1);
        }
        if (text.empty() || text.front() != L':') {
            reason = L"':' must follow hex or hex(type)";
            return false;
        }
        value.data.clear();
        if (!ReadHexBytes(text.substr(1), value.data)) {
            reason = L"hex data must be bytes of two hexadecimal digits separated by commas";
            return false;
        }
        return true;
    }
    reason = L"the data must be -, \"text\", dword:, hex: or hex(type):";
    return false;
}

// `[key]` or `[-key]`, the key spelled from the file's own root.
bool ReadKey(std::wstring_view text, RegRoot root, bool& deletion, KeyPath& key, std::wstring& reason)
{
    const std::size_t close = text.rfind(L']');
    if (close == std::wstring_view::npos || !TrimRight(text.substr(close + 1)).empty()) {
        reason = L"a key line must end with ']'";
        return false;
    }
    std::wstring_view path = text.substr(1, close - 1);
    deletion = !path.empty() && path.front() == L'-';
    if (deletion)
        path.remove_prefix(1);
    const std::wstring_view rootName = RootName(root);
    if (!StartsWithNoCase(path, rootName) || (path.size() > rootName.size() && path[rootName.size()] != L'\\')) {
        reason = L"the key is not below " + std::wstring(rootName);
        return false;
    }
    key.clear();
    path.remove_prefix(rootName.size());
    while (!path.empty()) {
        path.remove_prefix(1);
        const std::size_t end = path.find(L'\\');
        const std::wstring_view part = path.substr(0, end);
        if (part.empty()) {
            reason = L"a key name is empty";
            return false;
        }
        key.emplace_back(part);
        path.remove_prefix(part.size());
    }
    if (deletion && key.empty()) {
        reason = L"the root key cannot be deleted";
        return false;
    }
    return true;
}

// The next complete line from byte `pos`, without its line end; `next` is
// where the following line starts. False when no line end follows.
bool NextLine(std::string_view bytes, std::size_t pos, std::wstring& line, std::size_t& next)
{
    for (std::size_t i = pos; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == '\n' && bytes[i + 1] == '\0') {
            std::size_t end = i;
            if (end - pos >= 2 && bytes[end - 2] == '\r' && bytes[end - 1] == '\0')
                end -= 2;
            line = FromUtf16Le(bytes.substr(pos, end - pos));
            next = i + 2;
            return true;
        }
    }
    return false;
}

}  // namespace

std::wstring_view RootName(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot: return L"HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser: return L"HKEY_CURRENT_USER";
    case RegRoot::LocalMachine: return L"HKEY_LOCAL_MACHINE";
    case RegRoot::Users: return L"HKEY_USERS";
    case RegRoot::CurrentConfig: return L"HKEY_CURRENT_CONFIG";
    }
    return L"HKEY_LOCAL_MACHINE";
}

std::wstring KeyLine(RegRoot root, const KeyPath& key) { return L"[" + KeyText(root, key) + L"]"; }

std::wstring KeyDeletionLine(RegRoot root, const KeyPath& key) { return L"[-" + KeyText(root, key) + L"]"; }

std::wstring ValueLines(const std::wstring& name, const RegValue& value)
{
    const std::wstring line = NamePart(name);
    std::wstring text;
    if (value.type == regtype::Sz && PlainText(value.data, text))
        return line + L"\"" + Escaped(text) + L"\"";
    if (value.type == regtype::Dword && value.data.size() == 4) {
        const uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                (static_cast<uint32_t>(value.data[3]) << 24);
        return line + Format(L"dword:%08x", number);
    }
    return line + HexData(value, Utf16Length(line));
}

std::wstring ValueDeletionLine(const std::wstring& name) { return NamePart(name) + L"-"; }

std::string FileStart()
{
    std::string out(kUtf16LeBom);
    out += ToUtf16Le(kHeader);
    out += LineEnd();
    out += LineEnd();
    return out;
}

void AppendSection(std::string& out, const std::vector<std::wstring>& lines)
{
    for (const auto& line : lines) {
        out += ToUtf16Le(line);
        out += LineEnd();
    }
    out += LineEnd();
}

std::string LineEnd() { return std::string("\r\0\n\0", 4); }

uint64_t LineBytes(std::wstring_view line) { return 2 * (Utf16Length(line) + 2); }

bool Parser::Parse(std::string_view bytes, ParseSink& sink, std::size_t& consumed, ParseError& error)
{
    consumed = 0;
    std::size_t pos = 0;
    const auto fail = [&](uint64_t line, std::wstring reason) {
        error.line = line;
        error.reason = std::move(reason);
        return false;
    };
    if (!m_headerRead) {
        if (bytes.size() < 2)
            return true;
        if (bytes[0] != '\xFF' || bytes[1] != '\xFE')
            return fail(1, L"the file does not begin with the UTF-16LE byte-order mark");
        pos = 2;
    }
    std::wstring line;
    std::size_t next = 0;
    while (NextLine(bytes, pos, line, next)) {
        const uint64_t number = m_lines + 1;
        uint64_t lineCount = 1;
        std::wstring reason;
        const std::wstring_view text = TrimLeft(line);
        if (!m_headerRead) {
            if (TrimRight(text) != kHeader)
                return fail(number, L"the first line is not \"" + std::wstring(kHeader) + L"\"");
            m_headerRead = true;
        } else if (text.empty() || text.front() == L';') {
            // Blank lines and comments change nothing.
        } else if (text.front() == L'[') {
            bool deletion = false;
            KeyPath key;
            if (!ReadKey(text, m_root, deletion, key, reason))
                return fail(number, reason);
            m_inSection = !deletion;
            if (deletion)
                sink.OnKeyDeletion(key);
            else
                sink.OnKey(key);
        } else if (text.front() == L'"' || text.front() == L'@') {
            if (!m_inSection)
                return fail(number, L"a value line must follow a key line");
            std::wstring name;
            std::wstring_view rest = text;
            if (!ReadName(rest, name, reason))
                return fail(number, reason);
            std::wstring data(rest);
            // Hex data goes on over the following lines while a line ends with a backslash.
            if (StartsWithNoCase(data, L"hex")) {
                while (!TrimRight(data).empty() && TrimRight(data).back() == L'\\') {
                    data.resize(TrimRight(data).size() - 1);
                    std::wstring more;
                    if (!NextLine(bytes, next, more, next))
                        return true;  // the value's last line is still to come
                    data += TrimLeft(more);
                    ++lineCount;
                }
            }
            bool deletion = false;
            RegValue value;
            if (!ReadData(data, deletion, value, reason))
                return fail(number, reason);
            if (deletion)
                sink.OnValueDeletion(name);
            else
                sink.OnValue(name, std::move(value));
        } else {
            return fail(number, L"a line must be a key, a value, a comment or blank");
        }
        m_lastLineBlank = text.empty();
        m_lines += lineCount;
        pos = next;
        consumed = pos;
    }
    // Only the first line of a file being created (its line end too) can be
    // cut short; anything else before a header line is not a store.
    if (!m_headerRead) {
        const std::string start = std::string(kUtf16LeBom) + ToUtf16Le(std::wstring(kHeader) + L"\r\n");
        if (bytes.size() > start.size() || start.compare(0, bytes.size(), bytes) != 0)
            return fail(1, L"the first line is not \"" + std::wstring(kHeader) + L"\"");
    }
    return true;
}

}  // namespace quen::platform::personality::regfile
