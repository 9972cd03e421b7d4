// The form in which a path is handed to the Windows file API.
#pragma once

#include <string>

namespace quen::platform::win32 {

// `path` itself while its full form is short; past MAX_PATH that full form
// behind the \\?\ prefix (\\?\UNC\ for a share), which the file API takes
// whole up to 32,767 characters. A path that has no full form is returned as
// given, for the API to refuse with its own error.
std::wstring ApiPath(const std::wstring& path);

}  // namespace quen::platform::win32
