#include "platform/posix/WimCalls.h"

#include "platform/Errors.h"
#include "platform/Paths.h"

#include <wimlib.h>

namespace quen::platform::posix {

bool WimHostPath(const wchar_t* path, std::filesystem::path& host)
{
    if (!path || !*path)
        return FailWim(err::InvalidParameter, std::wstring());
    if (!ToHostPath(path, host))
        return false;
    // A daemon that serves a mount works from "/", so paths must not be relative.
    std::error_code ignored;
    host = std::filesystem::absolute(host, ignored);
    return true;
}

void StartWimlib()
{
    // Only the strict privilege flags can make it fail.
    [[maybe_unused]] static const int started = wimlib_global_init(0);
}

}  // namespace quen::platform::posix
