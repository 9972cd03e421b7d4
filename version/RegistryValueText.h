// A registry value as the version check compares it.
#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>

namespace quen {

// Writes the text of `value` into `text` and returns 0, or
// eUnsupportedRegistryValue (12) for a type it does not handle:
// - REG_SZ, REG_EXPAND_SZ: the text up to its terminating zero (or the end of
//   the data when there is none), environment variables expanded (for both
//   types), then trimmed of non-alphanumeric characters at both ends;
// - REG_BINARY: each byte as two upper-case hexadecimal digits, separated by
//   single blanks ("01 0A FF"; no bytes give an empty text);
// - REG_DWORD: the number in upper-case hexadecimal without leading zeros
//   ("1A", "0"); shorter than four bytes it is unsupported;
// - REG_NONE and every other type: unsupported.
int32_t FormatRegistryValue(const platform::RegValue& value, std::wstring& text);

}  // namespace quen
