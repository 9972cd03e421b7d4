// POSIX personality: a file's version resource, read from the PE file itself.
#include "platform/FileVersion.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/personality/PeVersionResource.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quen::platform {
namespace {

class FileBytes : public personality::ByteSource {
public:
    FileBytes(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* out, std::size_t size) const override
    {
        if (offset > m_size || size > m_size - offset)
            return false;
        auto* bytes = static_cast<char*>(out);
        while (size > 0) {
            const ssize_t got = ::pread(m_fd, bytes, size, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            bytes += got;
            offset += static_cast<uint64_t>(got);
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
    uint64_t m_size;
};

personality::PeVersion Read(const std::wstring& path, FileVersion& version)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return personality::PeVersion::NoVersionResource;
    const posix::UniqueFd fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!fd || ::fstat(fd.Get(), &st) != 0) {
        FailWithErrno(errno);
        return personality::PeVersion::NoVersionResource;
    }
    if (!S_ISREG(st.st_mode)) {
        Fail(err::AccessDenied);
        return personality::PeVersion::NoVersionResource;
    }
    const personality::PeVersion found =
        personality::ReadPeVersion(FileBytes(fd.Get(), static_cast<uint64_t>(st.st_size)), version);
    if (found == personality::PeVersion::NoVersionResource)
        Fail(err::ResourceTypeNotFound);
    else if (found == personality::PeVersion::Malformed)
        Fail(err::InvalidData);
    return found;
}

}  // namespace

bool HasVersionResource(const std::wstring& path)
{
    FileVersion ignored;
    return Read(path, ignored) != personality::PeVersion::NoVersionResource;
}

bool ReadFileVersion(const std::wstring& path, FileVersion& version)
{
    return Read(path, version) == personality::PeVersion::Found;
}

}  // namespace quen::platform
