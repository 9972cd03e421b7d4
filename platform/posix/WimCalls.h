// What every wimgapi call on POSIX does around wimlib: paths, start-up and
// failures.
#pragma once

#include "platform/posix/WimErrors.h"

#include <cerrno>
#include <filesystem>

namespace quen::platform::posix {

// The absolute host path of a wimgapi path argument; a null or empty one
// fails with InvalidParameter.
bool WimHostPath(const wchar_t* path, std::filesystem::path& host);

// wimlib_global_init, once per process.
void StartWimlib();

// Runs one wimlib call; a failure becomes the last error and the detail.
template <typename Call>
bool CallWimlib(Call call)
{
    errno = 0;
    const int code = call();
    const int savedErrno = errno;
    return code == 0 || FailWithWimlib(code, savedErrno);
}

}  // namespace quen::platform::posix
