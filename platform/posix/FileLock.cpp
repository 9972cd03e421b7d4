// POSIX personality: an flock() lock, which belongs to the open file
// description: two opens of one file conflict even within one process.
#include "platform/FileLock.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/posix/PosixErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quen::platform {

std::unique_ptr<FileLock> FileLock::TryLock(const std::wstring& path)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return nullptr;
    const int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        // Creating a file in a folder that is not there: Windows names the path.
        if (errno == ENOENT)
            Fail(err::PathNotFound);
        else
            FailWithErrno(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            Fail(err::SharingViolation);
        else
            FailWithErrno(error);
        return nullptr;
    }
    return std::unique_ptr<FileLock>(new FileLock(fd));
}

FileLock::~FileLock() { ::close(static_cast<int>(m_handle)); }

}  // namespace quen::platform
