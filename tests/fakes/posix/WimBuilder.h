// Real WIM files for tests, made with wimlib at test time, and a test machine
// with such files on its drives.
#pragma once

#include "fakes/TestMachine.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quen::test {

struct WimImage {
    // Files by relative path ('/' between folders) and content.
    std::vector<std::pair<std::string, std::string>> files;
    // Elements of the image's XML description, in order: an XML element name
    // (upper-case by convention; '/' nests elements) and a text value.
    std::vector<std::pair<std::string, std::string>> properties;
};

struct WimOptions {
    bool integrityTable = false;
    bool compressed = true;
};

// Writes a new WIM file holding the images in order.
void WriteWim(const std::filesystem::path& file, const std::vector<WimImage>& images, const WimOptions& options = {});
// Splits a WIM into parts of at most `partBytes`: `firstPart`, then
// <stem>2<ext>, <stem>3<ext>, ... beside it. Returns the number of parts.
std::size_t SplitWim(const std::filesystem::path& file, const std::filesystem::path& firstPart, uint64_t partBytes);
// XORs the first 16 bytes with the header key: scrambles a plain file and
// unscrambles a scrambled one.
void ToggleHeader(const std::filesystem::path& file);

class WimMachine : public TestMachine {
protected:
    // Writes a WIM file at a Windows path and returns the path.
    std::wstring MakeWim(const std::wstring& path, const std::vector<WimImage>& images, const WimOptions& options = {});
    // An image of a module: a setup program, a data file in a folder, and a
    // release ID when one is given.
    static WimImage ModuleImage(const std::string& releaseId = std::string(), const std::string& setup = "setup");
    // The files below a folder, by relative path ('/' between folders) and content.
    std::vector<std::pair<std::string, std::string>> FilesIn(const std::wstring& folder) const;
};

}  // namespace quen::test
