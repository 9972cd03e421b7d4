// The host folders behind the drive letters the program makes up for the
// library (the database as D:, the source as S:, ...), so that what a user
// reads names the user's own files: "S:\Modules\Camera" is shown as
// "/media/recovery/Modules/Camera".
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quen::host {

// Drive `letter` now shows host folder `folder`.
void RememberDrive(wchar_t letter, const std::filesystem::path& folder);

// Every drive letter made up so far and its host folder, in letter order.
std::vector<std::pair<wchar_t, std::filesystem::path>> RememberedDrives();

// `text` with each path on a remembered drive replaced by the host path
// behind it. A path runs to the end of the line, a quote or the next drive
// path.
std::string UserPaths(const std::string& text);

}  // namespace quen::host
