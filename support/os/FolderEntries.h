// One folder's entries as Windows paths, for the listing, copying and removal
// of trees.
#pragma once

#include <string>
#include <vector>

namespace quen::os {

struct FolderEntry {
    std::wstring name;
    std::wstring path;  // full path, without a trailing backslash
    bool isDirectory = false;
};

// The entries of `folder` (a full path with a trailing backslash), sorted by
// name without regard to case (then by exact name, so the order is stable).
// False with the last error set when the folder cannot be read, holds a name
// that is not UTF-8 (NoUnicodeTranslation), or a name that a Windows path
// cannot carry (InvalidName: "a?b", "nul", "x."): walking such a name would
// reach another file than the one listed.
bool ReadFolder(const std::wstring& folder, std::vector<FolderEntry>& entries);

}  // namespace quen::os
