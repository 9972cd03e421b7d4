// Staging an application-and-driver package: the package copied into its
// folder below the installs folder, and its first image unpacked.
#pragma once

#include <quen/OsServices.h>

#include <string>

namespace quen {

// Copies `package` into `destination` (a folder that exists) and unpacks
// its first image into `extractDir`, emptied first; `wimDir` and `tempDir`
// take the WIM's working files. A package that does not open as a WIM file
// stays packed, without an error.
void CopyAndUnpackAppPackage(const CFilename& package, const CDirectory& destination, const std::wstring& wimDir,
                             const std::wstring& tempDir, const std::wstring& extractDir);

}  // namespace quen
