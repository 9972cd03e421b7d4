// Staging an application-and-driver package: the package copied into its
// folder below the installs folder, and its first image unpacked.
#pragma once

#include <quen/OsServices.h>

#include <string>

namespace quen {

// Copies `package` into `destination` (a folder that exists) and unpacks
// its first image into `extractDir`, emptied first; `wimDir` and `tempDir`
// take the WIM's working files. Throws what copying, opening or unpacking
// throws (a package that is no WIM file: EFileException, OpenFailed).
void CopyAndUnpackAppPackage(const CFilename& package, const CDirectory& destination, const std::wstring& wimDir,
                             const std::wstring& tempDir, const std::wstring& extractDir);

}  // namespace quen
