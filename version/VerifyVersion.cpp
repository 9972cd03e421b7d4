#include <quen/VerifyVersion.h>

#include "platform/Wow64.h"
#include "version/CheckVersionDLL.h"

int32_t VerifyVersion(const wchar_t* versionPath, const wchar_t* expectedVersion, std::wstring& result)
{
    if (!versionPath || !*versionPath) {
        result.clear();
        return eNoVersionPath;
    }
    if (!expectedVersion || !*expectedVersion) {
        result.clear();
        return eNoExpectedVersion;
    }
    CCheckVersionDLL check(versionPath, expectedVersion, result);
    // A 32-bit host would otherwise see SysWOW64 where the path names System32.
    const quen::platform::ScopedFsRedirectionOff redirectionOff;
    return check.CheckVersion();
}
