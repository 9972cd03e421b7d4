// POSIX personality: Windows attributes kept in an extended attribute where
// the file system has them, accepted without effect where it has not.
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/posix/DiskChangeHook.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/StoredAttributes.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace quen::platform {
namespace {

constexpr char kXattrName[] = "user.quen.attributes";

// The file system keeps no (user) extended attributes.
bool Unsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

uint32_t ParseStored(const char* text, std::size_t size)
{
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text, text + size, value, 16);
    if (ec != std::errc() || end != text + size)
        return 0;  // not ours: read as no attributes rather than fail every lookup
    return value & posix::kStoredAttributes;
}

}  // namespace

namespace posix {

uint32_t StoredAttributes(const std::filesystem::path& host)
{
    char text[16];
    const ssize_t size = ::getxattr(host.c_str(), kXattrName, text, sizeof text);
    return size > 0 ? ParseStored(text, static_cast<std::size_t>(size)) : 0;
}

uint32_t WindowsAttributes(const std::filesystem::path& host, bool isDirectory)
{
    const uint32_t stored = StoredAttributes(host);
    if (isDirectory)
        return kAttrDirectory | stored;
    return stored != 0 ? stored : kAttrNormal;
}

void CopyStoredAttributes(int sourceFd, int targetFd)
{
    char text[16];
    const ssize_t size = ::fgetxattr(sourceFd, kXattrName, text, sizeof text);
    if (size > 0)
        ::fsetxattr(targetFd, kXattrName, text, static_cast<std::size_t>(size), 0);
}

}  // namespace posix

uint32_t GetAttributes(const std::wstring& path)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return InvalidAttributes;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        FailWithErrno(errno);
        return InvalidAttributes;
    }
    return posix::WindowsAttributes(host, S_ISDIR(st.st_mode));
}

bool SetAttributes(const std::wstring& path, uint32_t attributes)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return false;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0)
        return FailWithErrno(errno);
    if (posix::DiskChangeRefused())
        return FailWithErrno(errno);

    const uint32_t stored = attributes & posix::kStoredAttributes;
    if (stored == 0) {
        if (::removexattr(host.c_str(), kXattrName) != 0 && errno != ENODATA && !Unsupported(errno))
            return FailWithErrno(errno);
        return true;
    }
    char text[16];
    const int size = std::snprintf(text, sizeof text, "%x", stored);
    if (::setxattr(host.c_str(), kXattrName, text, static_cast<std::size_t>(size), 0) != 0 && !Unsupported(errno))
        return FailWithErrno(errno);
    return true;
}

}  // namespace quen::platform
