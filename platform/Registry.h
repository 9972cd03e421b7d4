// The Windows registry: typed values by root, key path and value name.
//
// Windows: the Win32 registry API. POSIX: one file per root below
// <machine root>/registry/, in the format `reg export` writes (docs/registry.md).
// Key and value names compare without regard to case; the empty value name is
// the key's default value. Functions return a Win32 error code (0 success,
// FileNotFound when the key or value is absent).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quen::platform {

enum class RegRoot : uint32_t { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Which view of HKLM\SOFTWARE a 64-bit process uses: its own (native), or the
// 32-bit view below SOFTWARE\WOW6432Node. Windows: KEY_WOW64_64KEY and
// KEY_WOW64_32KEY, so the system's redirection decides, shared keys included.
enum class RegView : uint32_t { Native, View32, View64 };

namespace regtype {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t Sz = 1;
inline constexpr uint32_t ExpandSz = 2;
inline constexpr uint32_t Binary = 3;
inline constexpr uint32_t Dword = 4;
inline constexpr uint32_t MultiSz = 7;
inline constexpr uint32_t Qword = 11;
}  // namespace regtype

struct RegValue {
    uint32_t type = regtype::None;
    std::vector<uint8_t> data;  // the Windows bytes: texts UTF-16LE with their terminating zero
};

uint32_t RegRead(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view, RegValue& value);
uint32_t RegWrite(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view,
                  const RegValue& value);
uint32_t RegDeleteValueOf(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view);
// Removes the key and everything below it.
uint32_t RegDeleteKeyTree(RegRoot root, const std::wstring& key, RegView view);
bool RegKeyExists(RegRoot root, const std::wstring& key, RegView view);
// Names of the key's values and of its direct subkeys, sorted without regard to case.
uint32_t RegListValues(RegRoot root, const std::wstring& key, RegView view, std::vector<std::wstring>& names);
uint32_t RegListSubkeys(RegRoot root, const std::wstring& key, RegView view, std::vector<std::wstring>& names);

// Helpers for the common types.
RegValue RegString(const std::wstring& text, uint32_t type = regtype::Sz);
RegValue RegDword(uint32_t value);
RegValue RegQword(uint64_t value);
RegValue RegMultiString(const std::vector<std::wstring>& texts);
// The text of a REG_SZ/REG_EXPAND_SZ value, up to its first zero.
std::wstring RegValueText(const RegValue& value);

}  // namespace quen::platform
