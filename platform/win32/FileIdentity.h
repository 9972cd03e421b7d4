// Which file a path names, whatever its spelling: the volume and the file's
// index on it, as the file system reports them.
#pragma once

#include <cstdint>
#include <string>

namespace quen::platform::win32 {

struct FileIdentity {
    uint32_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// False (and the last error) when the path names nothing that can be opened.
bool IdentifyFile(const std::wstring& path, FileIdentity& identity);

}  // namespace quen::platform::win32
