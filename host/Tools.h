// The standalone tools of quen-install, for scripts and for looking into a
// machine after a run.
#pragma once

#include <string>

namespace quen::host {

// verify-version: checks `expected` against the version at `versionPath` (a
// Windows path, as a record's VersionPath) and prints the result code, its
// meaning and the version found. Exit code 0 when the version is present,
// 1 when not.
int VerifyVersionTool(const std::string& versionPath, const std::string& expected);

// path: prints the host path behind a Windows path. Exit code 2 when the
// path is not a valid Windows path.
int PathTool(const std::string& windowsPath);

}  // namespace quen::host
