#include "Tools.h"

#include "ExitCodes.h"
#include "Machine.h"
#include "Text.h"

#include <quen/Machine.h>
#include <quen/ModuleInstaller.h>
#include <quen/VerifyVersion.h>

#include <cstdio>
#include <stdexcept>

namespace quen::host {

namespace {

const char* Meaning(int32_t result)
{
    switch (result) {
    case eVersionPresent: return "the version is present";
    case eVersionFileNotFound: return "no file at the path, nor in the other bitness's folder";
    case eFileVersionDiffers: return "the file's version or date differs, or cannot be read";
    case eRegistryVersionDiffers: return "the registry key name or value differs";
    case eNoMatchingTextLine: return "no line of the file equals the expected text, or the file cannot be opened";
    case eNoVersionPath: return "no version path";
    case eNoExpectedVersion: return "no expected version";
    case eRegistryPathWithoutKey: return "the registry path names no key";
    case eUnknownRegistryRoot: return "unknown registry root";
    case eRegistryPathWithoutValueName: return "the registry path names no value";
    case eRegistryKeyNotOpened: return "the registry key cannot be opened";
    case eRegistryValueNotRead: return "the registry value cannot be read";
    case eUnsupportedRegistryValue: return "the registry value's type is not supported";
    default: return "unknown result";
    }
}

}  // namespace

int VerifyVersionTool(const std::string& versionPath, const std::string& expected,
                      const std::filesystem::path& destination)
{
    const std::wstring folder = destination.empty() ? std::wstring(L"C:\\") : Reach(kDestinationDrive, destination);
    const std::wstring path = CModuleInstaller::ExpandVersionPath(Wide(versionPath), folder);
    std::wstring found;
    const int32_t result = VerifyVersion(path.c_str(), Wide(expected).c_str(), found);
    std::printf("%d %s\nfound: %s\n", result, Meaning(result), Utf8(found).c_str());
    return result == eVersionPresent ? kExitCompleted : kExitNegative;
}

int PathTool(const std::string& windowsPath)
{
    try {
        // An empty destination places nothing: a relative path stays so.
        const std::wstring path = CModuleInstaller::ExpandVersionPath(Wide(windowsPath), L"");
        std::printf("%s\n", quen::HostPath(path).string().c_str());
        return kExitCompleted;
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "quen-install: %s\n", e.what());
        return kExitFailed;
    }
}

}  // namespace quen::host
