// Windows: the registry through the Win32 registry API.
//
// A 64-bit process names the 32-bit view of HKLM\SOFTWARE with
// KEY_WOW64_32KEY and its own with KEY_WOW64_64KEY; the system redirects. When
// HKLM has been redirected to an ordinary key (SetMachineRootRedirected), the
// system redirects nothing there, so there the 32-bit view is kept below
// SOFTWARE\WOW6432Node by hand, where the system keeps it.
#include "platform/Registry.h"
#include "platform/win32/RegistryViews.h"
#include "platform/win32/WindowsSupport.h"

#include "platform/Text.h"

#include <algorithm>
#include <atomic>

namespace quen::platform {
namespace {

using win32::ScopedKey;

// The longest names the registry allows, with room for the terminating zero.
constexpr DWORD kMaxKeyName = 255 + 1;
constexpr DWORD kMaxValueName = 16'383 + 1;
constexpr std::size_t kFirstReadSize = 256;

std::atomic<bool> g_redirected{false};

HKEY RootKey(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_LOCAL_MACHINE;
}

// A key path and the view flag to open it with.
struct KeyName {
    std::wstring path;
    REGSAM view = 0;
};

bool StartsWithName(std::wstring_view path, std::wstring_view name)
{
    return path.size() >= name.size() && EqualsNoCase(path.substr(0, name.size()), name) &&
           (path.size() == name.size() || path[name.size()] == L'\\');
}

// Checks the key path and gives the name to open. The registry refuses a path
// that begins with a backslash; an empty name between two backslashes is
// refused too, as the machine-root registry refuses it. One trailing
// backslash is dropped.
uint32_t Resolve(RegRoot root, const std::wstring& key, RegView view, KeyName& name)
{
    std::wstring_view path = key;
    if (!path.empty() && path.back() == L'\\')
        path.remove_suffix(1);
    if (!key.empty() && (path.empty() || path.front() == L'\\' || path.back() == L'\\' ||
                         path.find(L"\\\\") != std::wstring_view::npos))
        return ERROR_BAD_PATHNAME;
    name.path.assign(path);
    name.view = view == RegView::View32 ? KEY_WOW64_32KEY : view == RegView::View64 ? KEY_WOW64_64KEY : 0;

    constexpr std::wstring_view kSoftware = L"SOFTWARE";
    if (g_redirected && root == RegRoot::LocalMachine && view == RegView::View32 && StartsWithName(path, kSoftware)) {
        const std::wstring_view below = path.substr(std::min(path.size(), kSoftware.size() + 1));
        if (!StartsWithName(below, L"WOW6432Node"))
            name.path.insert(kSoftware.size(), L"\\WOW6432Node");
        name.view = 0;
    }
    return ERROR_SUCCESS;
}

uint32_t Open(RegRoot root, const std::wstring& key, RegView view, REGSAM access, ScopedKey& opened)
{
    KeyName name;
    if (const uint32_t error = Resolve(root, key, view, name))
        return error;
    return ::RegOpenKeyExW(RootKey(root), name.path.c_str(), 0, access | name.view, opened.Receive());
}

void SortNoCase(std::vector<std::wstring>& names)
{
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
}

// Collects the names that `enumerate(index, buffer, &length)` gives until it
// reports that there are no more.
template <typename Enumerate>
uint32_t CollectNames(DWORD maxLength, Enumerate enumerate, std::vector<std::wstring>& names)
{
    std::vector<wchar_t> buffer(maxLength);
    for (DWORD index = 0;; ++index) {
        DWORD length = maxLength;
        const LSTATUS status = enumerate(index, buffer.data(), &length);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            return static_cast<uint32_t>(status);
        names.emplace_back(buffer.data(), length);
    }
    SortNoCase(names);
    return ERROR_SUCCESS;
}

}  // namespace

uint32_t RegRead(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view, RegValue& value)
{
    ScopedKey opened;
    if (const uint32_t error = Open(root, key, view, KEY_QUERY_VALUE, opened))
        return error;
    // Most values fit the first buffer; a longer one is read again into the
    // size the registry asks for (it may have grown in between).
    std::vector<uint8_t> data(kFirstReadSize);
    for (;;) {
        DWORD type = REG_NONE;
        auto size = static_cast<DWORD>(data.size());
        const LSTATUS status = ::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(std::max<std::size_t>(size, data.size() * 2));
            continue;
        }
        if (status != ERROR_SUCCESS)
            return static_cast<uint32_t>(status);
        data.resize(size);
        value.type = type;
        value.data = std::move(data);
        return ERROR_SUCCESS;
    }
}

uint32_t RegWrite(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view,
                  const RegValue& value)
{
    KeyName keyName;
    if (const uint32_t error = Resolve(root, key, view, keyName))
        return error;
    ScopedKey created;
    const LSTATUS status = ::RegCreateKeyExW(RootKey(root), keyName.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_SET_VALUE | keyName.view, nullptr, created.Receive(), nullptr);
    if (status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    return static_cast<uint32_t>(::RegSetValueExW(created.Get(), name.c_str(), 0, value.type,
                                                  value.data.empty() ? nullptr : value.data.data(),
                                                  static_cast<DWORD>(value.data.size())));
}

uint32_t RegDeleteValueOf(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view)
{
    ScopedKey opened;
    if (const uint32_t error = Open(root, key, view, KEY_SET_VALUE, opened))
        return error;
    return static_cast<uint32_t>(::RegDeleteValueW(opened.Get(), name.c_str()));
}

uint32_t RegDeleteKeyTree(RegRoot root, const std::wstring& key, RegView view)
{
    KeyName name;
    if (const uint32_t error = Resolve(root, key, view, name))
        return error;
    // RegDeleteTreeW with no subkey would empty the whole root.
    if (name.path.empty())
        return ERROR_ACCESS_DENIED;
    {
        ScopedKey opened;
        const LSTATUS status = ::RegOpenKeyExW(RootKey(root), name.path.c_str(), 0,
                                               DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE |
                                                   name.view,
                                               opened.Receive());
        if (status != ERROR_SUCCESS)
            return static_cast<uint32_t>(status);
        // The handle carries the view, so the whole tree below is deleted in it.
        if (const LSTATUS emptied = ::RegDeleteTreeW(opened.Get(), nullptr); emptied != ERROR_SUCCESS)
            return static_cast<uint32_t>(emptied);
    }
    return static_cast<uint32_t>(::RegDeleteKeyExW(RootKey(root), name.path.c_str(), name.view, 0));
}

bool RegKeyExists(RegRoot root, const std::wstring& key, RegView view)
{
    ScopedKey opened;
    return Open(root, key, view, KEY_QUERY_VALUE, opened) == ERROR_SUCCESS;
}

uint32_t RegListValues(RegRoot root, const std::wstring& key, RegView view, std::vector<std::wstring>& names)
{
    names.clear();
    ScopedKey opened;
    if (const uint32_t error = Open(root, key, view, KEY_QUERY_VALUE, opened))
        return error;
    return CollectNames(
        kMaxValueName,
        [&](DWORD index, wchar_t* buffer, DWORD* length) {
            return ::RegEnumValueW(opened.Get(), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        },
        names);
}

uint32_t RegListSubkeys(RegRoot root, const std::wstring& key, RegView view, std::vector<std::wstring>& names)
{
    names.clear();
    ScopedKey opened;
    if (const uint32_t error = Open(root, key, view, KEY_ENUMERATE_SUB_KEYS, opened))
        return error;
    return CollectNames(
        kMaxKeyName,
        [&](DWORD index, wchar_t* buffer, DWORD* length) {
            return ::RegEnumKeyExW(opened.Get(), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        },
        names);
}

namespace win32 {

void SetMachineRootRedirected(bool redirected) { g_redirected = redirected; }

}  // namespace win32

}  // namespace quen::platform
