// Windows: paths are the machine's own; Machine.h calls are identities.
#include "platform/Paths.h"
#include "platform/win32/WindowsSupport.h"

#include <quen/Machine.h>

#include "platform/Errors.h"

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
    if (path.empty()) {
        SetLastErrorCode(err::InvalidName);
        return false;
    }
    full = Query([&](DWORD size, wchar_t* buffer) { return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
    return !full.empty();
}

std::wstring CurrentDirectory()
{
    return WithSlash(Query([](DWORD size, wchar_t* buffer) { return ::GetCurrentDirectoryW(size, buffer); }));
}

bool SetCurrentDir(const std::wstring& path) { return ::SetCurrentDirectoryW(path.c_str()) != FALSE; }

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
    if (path.empty()) {
        SetLastErrorCode(err::InvalidName);
        return false;
    }
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
        throw std::invalid_argument("not a valid Windows path");
    return host;
}

}  // namespace quen
