// Whether a version path names a registry location or a file. The version
// check reads the registry for such a path, and a run leaves it as it is
// instead of placing it below the destination folder.
#pragma once

#include <string_view>

namespace quen {

// True when `path`, once its leading characters that are neither letters nor
// digits are skipped (quotes, blanks, backslashes: the registry check drops
// them too), begins with a registry root's name: any name that begins with
// HKEY_ (HKEY_CLASSES_ROOT too, which the check then refuses as unknown), or
// HKCU, HKLM, HKU, HKCC or HKDD followed by a backslash or the end. Case does
// not matter. So `\HKLM\SOFTWARE\x` names the registry, while
// `C:\Tools\ChkUtil\version.txt` and `HKCR\x` name files.
bool NamesRegistryRoot(std::wstring_view path);

}  // namespace quen
