// quen-install wim ...: looks into WIM packages as the installer reads them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace quen::host {

// Whether the header is scrambled, the image count and the file's XML
// description.
int WimInfo(const std::filesystem::path& file);
// The value of an element of the image description (RELEASEID, say); exit
// code 1 when no image has it.
int WimTag(const std::filesystem::path& file, const std::string& tag);
// Applies image `index` into `folder`, which must be empty or absent: the
// library empties the folder it extracts into, and a user's folder given by
// mistake must not lose its files.
int WimExtract(const std::filesystem::path& file, const std::filesystem::path& folder, uint32_t index);
// Writes an unscrambled copy of a scrambled package into `folder`; exit code
// 1 when the package is not scrambled.
int WimDescramble(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace quen::host
