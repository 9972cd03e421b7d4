// Staging an application-and-driver package.
#include "installer/AppPackage.h"

#include <quen/WIMFile.h>

namespace quen {

void CopyAndUnpackAppPackage(const CFilename& package, const CDirectory& destination, const std::wstring& wimDir,
                             const std::wstring& tempDir, const std::wstring& extractDir)
{
    destination.CopyFileHere(package, false);
    const std::wstring staged = destination.GetFullPath() + package.GetFullName();
    // Closed on every way out, so no handle or working copy outlives the step.
    CWIMFile wim(staged.c_str(), wimDir.c_str(), tempDir.c_str());
    if (wim.IsOpen())
        wim.ExtractImage(extractDir.c_str(), 1);
}

}  // namespace quen
