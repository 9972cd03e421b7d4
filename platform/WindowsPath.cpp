#include "platform/WindowsPath.h"

#include "platform/Errors.h"
#include "platform/Text.h"

namespace quen::platform {
namespace {

constexpr std::size_t kMaxComponent = 255;
constexpr std::size_t kMaxPath = 32767;

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsInvalidNameChar(wchar_t c)
{
    return c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*' || c == L':';
}

std::vector<std::wstring> SplitComponents(std::wstring_view text)
{
    std::vector<std::wstring> parts;
    std::wstring current;
    for (wchar_t c : text) {
        if (IsPathSeparator(c)) {
            parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    parts.push_back(current);
    return parts;
}

// Applies one component to the list: `.`/empty drop, `..` pops, others are
// checked and appended.
uint32_t Apply(std::vector<std::wstring>& components, std::wstring part)
{
    if (part.empty() || part == L".")
        return 0;
    if (part == L"..") {
        if (!components.empty())
            components.pop_back();
        return 0;
    }
    for (wchar_t c : part) {
        if (IsInvalidNameChar(c))
            return err::InvalidName;
    }
    // Windows drops trailing dots and blanks of a name ("a." is "a").
    while (!part.empty() && (part.back() == L'.' || part.back() == L' '))
        part.pop_back();
    if (part.empty())
        return 0;
    if (part.size() > kMaxComponent)
        return err::FilenameExcedRange;
    if (IsReservedDeviceName(part))
        return err::InvalidName;
    components.push_back(std::move(part));
    return 0;
}

}  // namespace

bool IsReservedDeviceName(const std::wstring& component)
{
    std::wstring base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    base = ToUpper(base);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
        base == L"CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'1' && base[3] <= L'9';
}

std::wstring WindowsPath::ToString() const
{
    std::wstring out;
    if (drive) {
        out = std::wstring(1, drive) + L":\\";
    } else {
        out = L"\\\\" + server + L"\\" + share + L"\\";
    }
    for (std::size_t i = 0; i < components.size(); ++i) {
        out += components[i];
        if (i + 1 < components.size() || trailingSlash)
            out += L'\\';
    }
    return out;
}

uint32_t ParseWindowsPath(const std::wstring& input, const std::wstring& currentDirectory, WindowsPath& out)
{
    out = WindowsPath();
    if (input.empty())
        return err::InvalidName;
    if (input.size() > kMaxPath)
        return err::FilenameExcedRange;

    std::wstring path = input;
    // Long-path prefixes: \\?\C:\x is C:\x, \\?\UNC\s\h is \\s\h. \\.\ names devices.
    if (path.size() >= 4 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]) && IsPathSeparator(path[3])) {
        if (path[2] == L'.')
            return err::InvalidName;
        if (path[2] == L'?') {
            path = path.substr(4);
            if (path.size() >= 4 && EqualsNoCase(path.substr(0, 3), L"UNC") && IsPathSeparator(path[3]))
                path = L"\\\\" + path.substr(4);
            if (path.empty())
                return err::InvalidName;
        }
    }

    std::wstring rest;
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // \\server\share\rest
        auto parts = SplitComponents(std::wstring_view(path).substr(2));
        if (parts.size() < 2 || parts[0].empty() || parts[1].empty())
            return err::BadPathname;
        for (const auto* name : {&parts[0], &parts[1]}) {
            for (wchar_t c : *name) {
                if (IsInvalidNameChar(c))
                    return err::InvalidName;
            }
            // A server or share named only by dots and blanks ("..") names no
            // machine or share, and on POSIX would step out of <root>/unc.
            if (name->find_first_not_of(L". ") == std::wstring::npos)
                return err::BadPathname;
        }
        out.server = parts[0];
        out.share = parts[1];
        for (std::size_t i = 2; i < parts.size(); ++i) {
            if (uint32_t e = Apply(out.components, parts[i]))
                return e;
        }
        out.trailingSlash = IsPathSeparator(path.back()) && !out.components.empty();
        return 0;
    }

    WindowsPath base;
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':') {
        const wchar_t drive = ToUpper(path[0]);
        rest = path.substr(2);
        if (rest.empty() || !IsPathSeparator(rest[0])) {
            // Drive-relative ("C:x"): against the current directory when it is
            // on that drive, else against the drive's root.
            uint32_t e = ParseWindowsPath(currentDirectory, L"C:\\", base);
            if (e != 0 || base.drive != drive) {
                base = WindowsPath();
                base.drive = drive;
            }
        } else {
            base.drive = drive;
        }
    } else {
        if (uint32_t e = ParseWindowsPath(currentDirectory, L"C:\\", base); e != 0) {
            base = WindowsPath();
            base.drive = L'C';
        }
        if (IsPathSeparator(path[0]))
            base.components.clear();  // rooted: the current drive's (or share's) root
        rest = path;
    }

    out = base;
    out.trailingSlash = false;
    for (auto& part : SplitComponents(rest)) {
        if (uint32_t e = Apply(out.components, std::move(part)))
            return e;
    }
    out.trailingSlash = !rest.empty() && IsPathSeparator(rest.back()) && !out.components.empty();
    return 0;
}

}  // namespace quen::platform
