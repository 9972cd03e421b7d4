// POSIX personality: Windows paths over the machine root (docs/paths.md).
#include "platform/Paths.h"

#include <quen/Machine.h>

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/WindowsPath.h"
#include "platform/posix/DirectoryReader.h"
#include "platform/posix/MachineState.h"
#include "platform/posix/PosixErrors.h"

#include <stdexcept>
#include <sys/stat.h>

namespace quen::platform {
namespace {

bool ExistsOnHost(const std::filesystem::path& p)
{
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

bool IsDirOnHost(const std::filesystem::path& p)
{
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The existing entry of `folder` that equals `name` without regard to case;
// the first in case-insensitive (then byte) order when several do.
bool FindCaseVariant(const std::filesystem::path& folder, const std::wstring& name, std::string& found)
{
    posix::DirectoryReader dir(folder);
    if (!dir)
        return false;
    bool have = false;
    std::wstring foundWide;
    posix::DirectoryEntry entry;
    while (dir.Next(entry)) {
        auto wide = FromUtf8(entry.name);
        if (!wide || !EqualsNoCase(*wide, name))
            continue;
        const int order = have ? CompareNoCase(*wide, foundWide) : -1;
        if (!have || order < 0 || (order == 0 && entry.name < found)) {
            found = entry.name;
            foundWide = *wide;
            have = true;
        }
    }
    return have;
}

std::filesystem::path Resolve(const WindowsPath& parsed)
{
    std::filesystem::path base;
    std::vector<std::wstring> components;
    if (parsed.drive) {
        base = posix::DriveFolder(parsed.drive);
    } else {
        base = posix::UncFolder();
        components = {parsed.server, parsed.share};
    }
    components.insert(components.end(), parsed.components.begin(), parsed.components.end());

    // Fast path: the path exists in the case given.
    std::filesystem::path exact = base;
    for (const auto& c : components)
        exact /= ToUtf8(c);
    if (components.empty() || ExistsOnHost(exact))
        return exact;

    // The longest prefix that exists in the case given (usually the parent of
    // a file about to be created) needs no look-up of case variants.
    std::size_t known = components.size() - 1;
    std::filesystem::path host = exact.parent_path();
    while (known > 0 && !ExistsOnHost(host)) {
        --known;
        host = host.parent_path();
    }
    if (known == 0)
        host = base;

    bool matching = true;
    for (std::size_t i = known; i < components.size(); ++i) {
        const std::wstring& c = components[i];
        const std::string utf8 = ToUtf8(c);
        if (matching) {
            if (ExistsOnHost(host / utf8)) {
                host /= utf8;
                continue;
            }
            std::string variant;
            if (IsDirOnHost(host) && FindCaseVariant(host, c, variant)) {
                host /= variant;
                continue;
            }
            matching = false;  // nothing below a missing component can exist
        }
        host /= utf8;
    }
    return host;
}

}  // namespace

bool FullPath(const std::wstring& path, std::wstring& full)
{
    WindowsPath parsed;
    if (uint32_t e = ParseWindowsPath(path, posix::WindowsCurrentDirectory(), parsed))
        return Fail(e);
    full = parsed.ToString();
    return true;
}

std::wstring CurrentDirectory() { return posix::WindowsCurrentDirectory(); }

bool SetCurrentDir(const std::wstring& path)
{
    std::wstring full;
    if (!FullPath(path, full))
        return false;
    std::filesystem::path host;
    ToHostPath(full, host);
    if (!IsDirOnHost(host))
        return Fail(err::PathNotFound);
    if (full.back() != L'\\')
        full.push_back(L'\\');
    posix::SetWindowsCurrentDirectory(full);
    return true;
}

std::wstring WindowsDir() { return L"C:\\Windows"; }

std::wstring TempDir() { return L"C:\\Windows\\Temp\\"; }

bool ToHostPath(const std::wstring& path, std::filesystem::path& host)
{
    WindowsPath parsed;
    if (uint32_t e = ParseWindowsPath(path, posix::WindowsCurrentDirectory(), parsed))
        return Fail(e);
    host = Resolve(parsed);
    return true;
}

}  // namespace quen::platform

namespace quen {

std::filesystem::path HostPath(const std::wstring& windowsPath)
{
    std::filesystem::path host;
    if (!platform::ToHostPath(windowsPath, host))
        throw std::invalid_argument("not a valid Windows path: " + ToUtf8(windowsPath));
    return host;
}

}  // namespace quen
