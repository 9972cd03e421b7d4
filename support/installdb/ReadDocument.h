// Reading a whole document (the install database, the recovery-media
// description) by its Windows path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quen::installdb {

// The bytes of the file at `path`, or nothing when no file exists there.
// Throws EFileException when the path is not a valid Windows path (BadPath),
// names a folder or cannot be opened (OpenFailed), or cannot be read
// (ReadFailed). `document` names the file in messages ("Install database").
std::optional<std::string> ReadDocument(const std::wstring& path, std::wstring_view document);

}  // namespace quen::installdb
