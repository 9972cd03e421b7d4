// Windows: paths are the machine's own; Machine.h calls are identities.
//
// Full paths come from the same lexical rules as on POSIX (WindowsPath.h)
// rather than from GetFullPathNameW, which accepts names that no file can
// have (`a?b`, `nul.txt`) and would let such a path reach the file system.
#include "platform/Paths.h"
#include "platform/win32/WindowsSupport.h"

#include <quen/Machine.h>

#include "foundation/WideString.h"
#include "platform/WindowsPath.h"

#include <stdexcept>
#include <vector>

namespace quen::platform {
namespace {

template <typename F>
std::wstring Query(F&& call)
{
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = call(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0)
            return std::wstring();
        if (n < buffer.size())
            return std::wstring(buffer.data(), n);
        buffer.resize(n + 1);
    }
}

std::wstring WithSlash(std::wstring path)
{
    if (!path.empty() && path.back() != L'\\')
        path.push_back(L'\\');
    return path;
}

}  // namespace

bool FullPath(const std::wstring& path, std::wstring& full)
{
    WindowsPath parsed;
    if (const uint32_t error = ParseWindowsPath(path, CurrentDirectory(), parsed))
        return win32::Fail(error);
    full = parsed.ToString();
    return true;
}

std::wstring CurrentDirectory()
{
    return WithSlash(Query([](DWORD size, wchar_t* buffer) { return ::GetCurrentDirectoryW(size, buffer); }));
}

// A current directory must be an existing folder; anything else is
// PathNotFound, as on POSIX (Windows itself says FileNotFound or Directory).
bool SetCurrentDir(const std::wstring& path)
{
    std::wstring full;
    if (!FullPath(path, full))
        return false;
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return win32::Fail(ERROR_PATH_NOT_FOUND);
    return ::SetCurrentDirectoryW(full.c_str()) != FALSE;
}

std::wstring WindowsDir()
{
    return Query([](DWORD size, wchar_t* buffer) { return ::GetWindowsDirectoryW(buffer, size); });
}

std::wstring TempDir()
{
    return WithSlash(Query([](DWORD size, wchar_t* buffer) { return ::GetTempPathW(size, buffer); }));
}

bool ToHostPath(const std::wstring& path, std::filesystem::path& host)
{
    std::wstring full;
    if (!FullPath(path, full))
        return false;
    host = std::filesystem::path(path);
    return true;
}

}  // namespace quen::platform

namespace quen {

void SetMachineRoot(const std::filesystem::path&) {}

std::filesystem::path MachineRoot() { return std::filesystem::path(); }

void MapDrive(wchar_t letter, const std::filesystem::path&)
{
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')))
        throw std::invalid_argument("MapDrive: not a drive letter");
}

std::filesystem::path HostPath(const std::wstring& windowsPath)
{
    std::filesystem::path host;
    if (!platform::ToHostPath(windowsPath, host))
        throw std::invalid_argument("not a valid Windows path: " + ToUtf8(windowsPath));
    return host;
}

}  // namespace quen
