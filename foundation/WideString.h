// Wide-string helpers shared by every module: UTF-8 and UTF-16 conversion and
// a printf-style formatter that behaves the same on every platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace quen {

// UTF-8 of a wide text; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);
// The wide text of UTF-8 bytes, or nothing when they are not valid UTF-8.
std::optional<std::wstring> FromUtf8(std::string_view bytes);
// The same, with each invalid sequence replaced by U+FFFD.
std::wstring FromUtf8Lossy(std::string_view bytes);

// UTF-16 code units of a wide text, and back (unpaired surrogates: U+FFFD).
std::u16string ToUtf16(std::wstring_view text);
std::wstring FromUtf16(std::u16string_view text);
// Whether every surrogate of the units stands in a pair.
bool IsWellFormedUtf16(std::u16string_view units);

// UTF-16LE, the byte order of Windows files and registry values on every
// platform: the code units of the bytes (an odd last byte is dropped), the
// bytes of code units, and the same for wide text. No byte-order mark is
// added or removed: callers that meet one test for kUtf16LeBom.
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
std::u16string Utf16FromLe(std::string_view bytes);
std::string Utf16ToLe(std::u16string_view units);
std::wstring FromUtf16Le(std::string_view bytes);
std::string ToUtf16Le(std::wstring_view text);
// The text of UTF-16LE bytes up to their first zero unit (all of them when
// none is zero), as a zero-terminated Windows string is read.
std::wstring FromZeroTerminatedUtf16Le(std::string_view bytes);

// One argument of Format.
class FormatArg {
public:
    template <typename T>
        requires std::is_integral_v<T> && (!std::is_same_v<T, bool>) && (!std::is_same_v<T, wchar_t>)
    FormatArg(T value)
        : m_value(std::is_signed_v<T> ? Value(static_cast<long long>(value))
                                      : Value(static_cast<unsigned long long>(value))),
          m_bits(sizeof(T) * 8)
    {
    }
    FormatArg(bool value) : m_value(static_cast<long long>(value)), m_bits(8) {}
    FormatArg(wchar_t value) : m_value(value), m_bits(32) {}
    FormatArg(double value) : m_value(value), m_bits(64) {}
    FormatArg(const wchar_t* text) : m_value(std::wstring_view(text ? text : L"")), m_bits(0) {}
    FormatArg(const std::wstring& text) : m_value(std::wstring_view(text)), m_bits(0) {}
    FormatArg(std::wstring_view text) : m_value(text), m_bits(0) {}

    using Value = std::variant<long long, unsigned long long, double, std::wstring_view, wchar_t>;
    const Value& Get() const { return m_value; }
    unsigned Bits() const { return m_bits; }

private:
    Value m_value;
    unsigned m_bits;
};

// printf-style formatting with %[flags][width][.precision][length]conversion
// for d i u x X o c s f e g G and %%. %s takes a wide text; length modifiers
// (h l ll z) are accepted and ignored, since each argument brings its own type.
// %x of a negative number prints the bits of the argument's own width. A
// conversion without an argument prints nothing.
std::wstring FormatV(std::wstring_view format, const FormatArg* args, std::size_t count);

template <typename... Args>
std::wstring Format(std::wstring_view format, const Args&... args)
{
    if constexpr (sizeof...(Args) == 0) {
        return FormatV(format, nullptr, 0);
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return FormatV(format, list, sizeof...(Args));
    }
}

}  // namespace quen
