// Real WIM files for tests, made with wimlib at test time.
//
//   WimImage image;
//   image.files = {{"setup.cmd", "@echo off\r\n"}, {"data/a.txt", "a"}};
//   image.properties = {{"RELEASEID", "R-100"}};
//   WriteWim(host / "app.wim", {image});
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quen::test {

struct WimImage {
    // Files by relative path ('/' between folders) and content.
    std::vector<std::pair<std::string, std::string>> files;
    // XML elements of the image's description, in order: a name (upper-case
    // by convention; '/' nests elements) and a text value.
    std::vector<std::pair<std::string, std::string>> properties;
};

struct WimOptions {
    bool integrityTable = false;
    bool compressed = true;
};

// Writes a new WIM file holding the images in order.
void WriteWim(const std::filesystem::path& file, const std::vector<WimImage>& images, const WimOptions& options = {});
// Appends an image in place, as an update of the file does: the file keeps
// its earlier XML description and gets a new one after the new data.
void AppendImage(const std::filesystem::path& file, const WimImage& image);
// Splits a WIM into parts of at most `partBytes`: `firstPart`, then
// <stem>2<ext>, <stem>3<ext>, ... beside it. Returns every part's path.
std::vector<std::filesystem::path> SplitWim(const std::filesystem::path& file, const std::filesystem::path& firstPart,
                                            uint64_t partBytes);
// XORs the first 16 bytes with the header key: scrambles a plain file and
// unscrambles a scrambled one.
void ToggleHeader(const std::filesystem::path& file);

// wimlib writes any name it is given into the XML, and a file whose XML then
// does not parse cannot be opened again: names are checked first. A name is
// a '/'-separated path of XML element names, each optionally followed by a
// [number]; throws std::invalid_argument naming the bad name otherwise.
void CheckPropertyName(const std::string& name);

}  // namespace quen::test
