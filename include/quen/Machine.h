// Where the library's Windows paths live on the host.
//
// On Windows these are identities: paths are native and there is no machine
// root. On Linux the library sees a small Windows machine inside a folder, the
// machine root: drive X: is <root>/drives/x unless mapped to a host folder,
// and UNC paths \\server\share live below <root>/unc/. docs/paths.md has the
// whole set of rules.
//
// Every call is thread-safe; a host may re-map a drive from a callback while a
// run goes on (that is how a disc change is simulated).
#pragma once

#include <quen/Export.h>

#include <filesystem>
#include <string>

namespace quen {

// Sets the machine root. Until called, the root is $QUEN_ROOT, else
// ~/.local/share/quen/machine.
QUEN_API void SetMachineRoot(const std::filesystem::path& root);
QUEN_API std::filesystem::path MachineRoot();

// Maps drive `letter` (either case) to a host folder; an empty folder removes
// the mapping, so the drive is <root>/drives/<letter> again. $QUEN_DRIVE_X
// maps drive X at start. Throws std::invalid_argument for a non-letter.
QUEN_API void MapDrive(wchar_t letter, const std::filesystem::path& hostFolder);

// The host path of a Windows path, resolved as the library resolves it
// (case-insensitive match of existing components, `..` stopping at the root).
// Throws std::invalid_argument naming the path when it is not a valid Windows
// path.
QUEN_API std::filesystem::path HostPath(const std::wstring& windowsPath);

}  // namespace quen
