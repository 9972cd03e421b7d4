// A file's version resource: the fixed part (VS_FIXEDFILEINFO) with the file
// version. Windows reads it with GetFileVersionInfoW and VerQueryValueW; the
// POSIX personality reads the version resource of a PE file itself.
#pragma once

#include <cstdint>
#include <string>

namespace quen::platform {

struct FileVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0;
    uint16_t revision = 0;
};

// True when the file carries a version resource (GetFileVersionInfoSizeW is
// not 0): a resource of type RT_VERSION and name 1 whose data lies in the file.
bool HasVersionResource(const std::wstring& path);

// The file version of the fixed part of the version resource. False when the
// file cannot be read, has no version resource, or the resource's fixed part
// is missing, too short or lacks its signature (0xFEEF04BD).
bool ReadFileVersion(const std::wstring& path, FileVersion& version);

}  // namespace quen::platform
