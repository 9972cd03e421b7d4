#include "foundation/WideString.h"

#include <cstdio>
#include <string>

namespace quen {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code points of a wide text: UTF-16 pairs joined where wchar_t is 16 bits.
template <typename F>
void ForEachCodePoint(std::wstring_view text, F&& emit)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    emit(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = kReplacement;
        emit(c);
    }
}

void AppendWide(std::wstring& out, char32_t c)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

// Decodes one UTF-8 sequence at `i`; returns false for an invalid one.
bool DecodeUtf8(std::string_view s, std::size_t& i, char32_t& c)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) {
        c = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (i + len > s.size())
        return false;
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    i += len;
    return true;
}

}  // namespace

std::string ToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t c) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    });
    return out;
}

std::optional<std::wstring> FromUtf8(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c;
        if (!DecodeUtf8(bytes, i, c))
            return std::nullopt;
        AppendWide(out, c);
    }
    return out;
}

std::wstring FromUtf8Lossy(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c;
        if (!DecodeUtf8(bytes, i, c)) {
            c = kReplacement;
            ++i;
        }
        AppendWide(out, c);
    }
    return out;
}

std::u16string ToUtf16(std::wstring_view text)
{
    std::u16string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t c) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    });
    return out;
}

std::wstring FromUtf16(std::u16string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendWide(out, c);
    }
    return out;
}

bool IsWellFormedUtf16(std::u16string_view units)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
            ++i;
        else if (units[i] >= 0xD800 && units[i] <= 0xDFFF)
            return false;
    }
    return true;
}

std::u16string Utf16FromLe(std::string_view bytes)
{
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return units;
}

std::string Utf16ToLe(std::u16string_view units)
{
    std::string bytes(units.size() * 2, '\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    return bytes;
}

std::wstring FromUtf16Le(std::string_view bytes) { return FromUtf16(Utf16FromLe(bytes)); }

std::string ToUtf16Le(std::wstring_view text) { return Utf16ToLe(ToUtf16(text)); }

std::wstring FromZeroTerminatedUtf16Le(std::string_view bytes)
{
    const std::u16string units = Utf16FromLe(bytes);
    return FromUtf16(std::u16string_view(units).substr(0, units.find(u'\0')));
}

namespace {

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    wchar_t conversion = 0;
};

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string PrintfDirective(const Conversion& conv, const char* length, char conversion)
{
    std::string s(1, '%');
    s += conv.flags;
    if (conv.width >= 0)
        s += std::to_string(conv.width);
    if (conv.precision >= 0) {
        s += '.';
        s += std::to_string(conv.precision);
    }
    s += length;
    s += conversion;
    return s;
}

template <typename T>
std::wstring CFormat(const std::string& conv, T value)
{
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, conv.c_str(), value);
    if (n < 0)
        return std::wstring();
    if (static_cast<std::size_t>(n) < sizeof buffer)
        return Widen(std::string(buffer, static_cast<std::size_t>(n)));
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), conv.c_str(), value);
    big.resize(static_cast<std::size_t>(n));
    return Widen(big);
}

std::wstring Pad(std::wstring text, const Conversion& conv)
{
    if (conv.width >= 0 && text.size() < static_cast<std::size_t>(conv.width)) {
        std::wstring pad(static_cast<std::size_t>(conv.width) - text.size(), L' ');
        text = conv.flags.find('-') != std::string::npos ? text + pad : pad + text;
    }
    return text;
}

std::wstring FormatOne(const Conversion& conv, const FormatArg& arg)
{
    const FormatArg::Value& v = arg.Get();
    switch (conv.conversion) {
    case L's': {
        std::wstring text;
        if (auto* s = std::get_if<std::wstring_view>(&v))
            text = std::wstring(*s);
        else if (auto* c = std::get_if<wchar_t>(&v))
            text = std::wstring(1, *c);
        if (conv.precision >= 0 && text.size() > static_cast<std::size_t>(conv.precision))
            text.resize(static_cast<std::size_t>(conv.precision));
        return Pad(text, conv);
    }
    case L'c': {
        wchar_t c = 0;
        if (auto* ch = std::get_if<wchar_t>(&v))
            c = *ch;
        else if (auto* i = std::get_if<long long>(&v))
            c = static_cast<wchar_t>(*i);
        else if (auto* u = std::get_if<unsigned long long>(&v))
            c = static_cast<wchar_t>(*u);
        return Pad(std::wstring(1, c), conv);
    }
    case L'd':
    case L'i': {
        long long value = 0;
        if (auto* i = std::get_if<long long>(&v))
            value = *i;
        else if (auto* u = std::get_if<unsigned long long>(&v))
            value = static_cast<long long>(*u);
        else if (auto* d = std::get_if<double>(&v))
            value = static_cast<long long>(*d);
        else if (auto* c = std::get_if<wchar_t>(&v))
            value = static_cast<long long>(*c);
        return CFormat(PrintfDirective(conv, "ll", 'd'), value);
    }
    case L'u':
    case L'x':
    case L'X':
    case L'o': {
        unsigned long long value = 0;
        if (auto* i = std::get_if<long long>(&v)) {
            value = static_cast<unsigned long long>(*i);
            if (arg.Bits() < 64)
                value &= (1ULL << arg.Bits()) - 1;
        } else if (auto* u = std::get_if<unsigned long long>(&v)) {
            value = *u;
        } else if (auto* d = std::get_if<double>(&v)) {
            value = static_cast<unsigned long long>(*d);
        } else if (auto* c = std::get_if<wchar_t>(&v)) {
            value = static_cast<unsigned long long>(*c);
        }
        return CFormat(PrintfDirective(conv, "ll", static_cast<char>(conv.conversion)), value);
    }
    default: {  // f e g G E F
        double value = 0;
        if (auto* d = std::get_if<double>(&v))
            value = *d;
        else if (auto* i = std::get_if<long long>(&v))
            value = static_cast<double>(*i);
        else if (auto* u = std::get_if<unsigned long long>(&v))
            value = static_cast<double>(*u);
        return CFormat(PrintfDirective(conv, "", static_cast<char>(conv.conversion)), value);
    }
    }
}

}  // namespace

std::wstring FormatV(std::wstring_view format, const FormatArg* args, std::size_t count)
{
    static const std::wstring_view kConversions = L"diuxXocsfeEgGF";
    std::wstring out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c != L'%') {
            out.push_back(c);
            continue;
        }
        std::size_t start = i++;
        if (i < format.size() && format[i] == L'%') {
            out.push_back(L'%');
            continue;
        }
        Conversion conv;
        while (i < format.size() && std::wstring_view(L"-+ #0").find(format[i]) != std::wstring_view::npos)
            conv.flags.push_back(static_cast<char>(format[i++]));
        const auto number = [&](int& target) {
            while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') {
                target = (target < 0 ? 0 : target) * 10 + (format[i++] - L'0');
                if (target > 4096)  // an absurd width is a malformed format, not a request for memory
                    target = 4096;
            }
        };
        number(conv.width);
        if (i < format.size() && format[i] == L'.') {
            ++i;
            conv.precision = 0;
            number(conv.precision);
        }
        while (i < format.size() && std::wstring_view(L"hlLqjzt").find(format[i]) != std::wstring_view::npos)
            ++i;
        if (i >= format.size() || kConversions.find(format[i]) == std::wstring_view::npos) {
            // Not a conversion: keep the text as written.
            out.append(format.substr(start, (i < format.size() ? i + 1 : i) - start));
            continue;
        }
        conv.conversion = format[i];
        if (next < count)
            out += FormatOne(conv, args[next++]);
    }
    return out;
}

}  // namespace quen
