// An exclusive lock on a file, for one process or object at a time. The
// system drops it when its holder ends, however it ends, so a crash leaves
// nothing locked. The file itself stays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quen::platform {

class FileLock {
public:
    // Takes the lock on the file at `path` (a Windows path), creating the
    // file when needed. Null, with the last error set, when another holder
    // (another process, or another lock object of this one) has it or the
    // file cannot be opened: ERROR_SHARING_VIOLATION (32) when it is held.
    static std::unique_ptr<FileLock> TryLock(const std::wstring& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(intptr_t handle) : m_handle(handle) {}
    intptr_t m_handle;  // a descriptor on POSIX, a HANDLE on Windows
};

}  // namespace quen::platform
