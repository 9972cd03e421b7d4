// Checks of the paths the command line names, as CLI11 validators: a path
// option that is given must name something (an unset variable in a script
// gives an empty one).
#pragma once

#include <CLI/CLI.hpp>

#include <filesystem>
#include <string>

namespace quen::host {

inline const CLI::Validator NotBlank(
    [](std::string& text) {
        return text.find_first_not_of(" \t") == std::string::npos ? std::string("empty: it names no path")
                                                                   : std::string();
    },
    "PATH");

// A folder the program makes when missing: not a file.
inline const CLI::Validator NoFile(
    [](std::string& text) {
        std::error_code error;
        return std::filesystem::exists(text, error) && !std::filesystem::is_directory(text, error)
                   ? "not a folder: " + text
                   : std::string();
    },
    "DIR");

}  // namespace quen::host
