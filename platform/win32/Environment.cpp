#include "platform/Environment.h"
#include "platform/win32/WindowsSupport.h"

#include <vector>

namespace quen::platform {

bool GetEnvVar(const std::wstring& name, std::wstring& value)
{
    if (name.empty())
        return false;
    DWORD size = ::GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0)
        return false;
    std::vector<wchar_t> buffer(size);
    size = ::GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size >= buffer.size())
        return false;
    value.assign(buffer.data(), size);
    return true;
}

void SetEnvVar(const std::wstring& name, const std::wstring& value)
{
    ::SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
}

std::wstring ExpandEnvVars(const std::wstring& text)
{
    DWORD size = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0)
        return text;
    std::vector<wchar_t> buffer(size);
    size = ::ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size == 0 || size > buffer.size())
        return text;
    return std::wstring(buffer.data());
}

}  // namespace quen::platform
