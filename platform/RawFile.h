// One file by Windows path, read and written at byte offsets, without
// buffering or text translation. What it shares with others is chosen at open;
// POSIX has no share modes, so there others may always read and write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quen::platform {

class RawFile {
public:
    enum class Access { Read, ReadWrite };
    // What others may do with the file while it is open.
    enum class Share { Read, ReadWrite };

    RawFile() = default;
    ~RawFile();
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // Opens an existing file (a folder fails with AccessDenied); false and the
    // last error when it cannot.
    bool Open(const std::wstring& path, Access access, Share share);
    bool IsOpen() const { return m_handle != kClosed; }

    bool GetSize(uint64_t& size) const;
    // Reads up to `count` bytes at `offset` into `buffer`; `got` is less than
    // `count` only at the end of the file. False on a read error.
    bool ReadAt(uint64_t offset, void* buffer, std::size_t count, std::size_t& got) const;
    // Writes all `count` bytes at `offset`; false when it cannot.
    bool WriteAt(uint64_t offset, const void* data, std::size_t count);

private:
    static constexpr intptr_t kClosed = -1;
    intptr_t m_handle = kClosed;  // a descriptor on POSIX, a HANDLE on Windows
};

}  // namespace quen::platform
