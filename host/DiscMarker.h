// The marker file by which a recovery disc names itself: the media type
// followed by the disc's number ("QRD2") at the disc's root. The library
// reads it the same way: exactly one file at the root starts with the media
// type, and the number after it is the disc's.
#pragma once

#include <filesystem>
#include <string>

namespace quen::host {

// True when `folder` holds the marker of disc `disc` of `mediaType`.
bool HoldsMarker(const std::filesystem::path& folder, const std::string& mediaType, int disc);

// Why `folder` is not disc `disc`: the folder, the marker found in it (or
// that it holds none) and the marker needed.
std::string WrongDisc(const std::filesystem::path& folder, const std::string& mediaType, int disc);

}  // namespace quen::host
