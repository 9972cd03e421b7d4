// POSIX personality: the machine root, the drive map and the Windows current
// directory, shared by every implementation file. Thread-safe.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quen::platform::posix {

std::filesystem::path MachineRootPath();
// The host folder of drive `letter` (either case): its mapping, else
// <root>/drives/<lower-case letter>.
std::filesystem::path DriveFolder(wchar_t letter);
// <root>/unc: the folder below which \\server\share\... live.
std::filesystem::path UncFolder();

// The machine as environment entries ("QUEN_ROOT=...", one "QUEN_DRIVE_X=..."
// per mapped drive), so a child program can find the host folders behind the
// Windows paths it is given.
std::vector<std::string> MachineEnvironment();

std::wstring WindowsCurrentDirectory();  // with a trailing backslash
void SetWindowsCurrentDirectory(const std::wstring& fullPath);

}  // namespace quen::platform::posix
