// Removing files and trees the way the OS-services library does: a read-only
// attribute does not stop it.
#pragma once

#include <cstdint>
#include <string>

namespace quen::os {

// Clears the read-only bit of an object whose attributes are `attributes`,
// keeping its other bits.
bool ClearReadOnly(const std::wstring& path, uint32_t attributes);
// Removes one file (full path).
bool RemoveFileForced(const std::wstring& path);
// Removes `folder` (full path with a trailing backslash) with its content,
// whatever the names it holds.
bool RemoveTree(const std::wstring& folder);

}  // namespace quen::os
