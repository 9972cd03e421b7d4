#include "platform/DiskSpace.h"
#include "platform/Paths.h"
#include "platform/posix/PosixErrors.h"

#include <cerrno>
#include <filesystem>
#include <sys/statvfs.h>

namespace quen::platform {

bool SystemFreeDiskSpace(const std::wstring& folder, uint64_t& bytes)
{
    std::filesystem::path host;
    if (!ToHostPath(folder, host))
        return false;
    struct statvfs volume;
    if (::statvfs(host.c_str(), &volume) != 0)
        return FailWithErrno(errno);
    bytes = static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
    return true;
}

}  // namespace quen::platform
