// The version resource of a PE file (a Windows program or DLL, 32- or
// 64-bit), read from its bytes without loading it. Every offset the reader
// follows is checked against the file before it reads there: a truncated or
// hostile file is "no version resource" or "malformed", never a read outside
// the file. The reader walks the resource tree exactly three levels deep
// (type, name, language), so a loop in the tree cannot hold it.
#pragma once

#include "platform/FileVersion.h"

#include <cstddef>
#include <cstdint>

namespace quen::platform::personality {

// Bytes of a file by position.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly `size` bytes at `offset`; false when they are not all there.
    virtual bool Read(uint64_t offset, void* out, std::size_t size) const = 0;
};

enum class PeVersion {
    Found,
    // Not a PE file, no resource of type RT_VERSION (16) and name 1, or its
    // data does not lie within a section of the file.
    NoVersionResource,
    // The resource is there but has no valid fixed part: too short, a value
    // shorter than VS_FIXEDFILEINFO, or a wrong signature.
    Malformed,
};

// Looks for the version resource (the first language when there are several)
// and reads the file version from its fixed part.
PeVersion ReadPeVersion(const ByteSource& file, FileVersion& version);

}  // namespace quen::platform::personality
