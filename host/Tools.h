// The standalone tools of quen-install, for scripts and for looking into a
// machine after a run.
#pragma once

#include <filesystem>
#include <string>

namespace quen::host {

// verify-version: checks `expected` against the version at `versionPath`,
// read as a run reads a record's VersionPath: its tokens expanded, a relative
// file path placed below `destination` (a host folder, as `run` takes it;
// empty: the machine's drive C:), and prints the result code, its meaning
// and the version found. Exit code 0 when the version is present, 1 when
// not.
int VerifyVersionTool(const std::string& versionPath, const std::string& expected,
                      const std::filesystem::path& destination);

// path: prints the host path behind a Windows path, its tokens expanded as
// in a VersionPath. Exit code 2 when the path is not a valid Windows path.
int PathTool(const std::string& windowsPath);

}  // namespace quen::host
