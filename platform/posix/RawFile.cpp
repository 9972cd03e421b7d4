#include "platform/RawFile.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/posix/DiskChangeHook.h"
#include "platform/posix/PosixErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quen::platform {

RawFile::~RawFile()
{
    if (IsOpen())
        ::close(static_cast<int>(m_handle));
}

bool RawFile::Open(const std::wstring& path, Access access, Share)
{
    if (IsOpen())
        return Fail(err::InvalidHandle);
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return false;
    const int flags = (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    const int fd = ::open(host.c_str(), flags);
    if (fd < 0)
        return FailWithErrno(errno == EISDIR ? EACCES : errno);
    // A folder opens for reading on POSIX; on Windows it does not.
    struct stat st;
    const int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EACCES : 0;
    if (error != 0) {
        ::close(fd);
        return FailWithErrno(error);
    }
    m_handle = fd;
    return true;
}

bool RawFile::GetSize(uint64_t& size) const
{
    struct stat st;
    if (::fstat(static_cast<int>(m_handle), &st) != 0)
        return FailWithErrno(errno);
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool RawFile::ReadAt(uint64_t offset, void* buffer, std::size_t count, std::size_t& got) const
{
    got = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (got < count) {
        const ssize_t n = ::pread(static_cast<int>(m_handle), bytes + got, count - got,
                                  static_cast<off_t>(offset + got));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FailWithErrno(errno);
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool RawFile::WriteAt(uint64_t offset, const void* data, std::size_t count)
{
    if (posix::DiskChangeRefused())
        return FailWithErrno(errno);
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < count;) {
        const ssize_t n = ::pwrite(static_cast<int>(m_handle), bytes + done, count - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FailWithErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace quen::platform
