// How the host shows its folders to the library, per platform.
#pragma once

#include "RunOptions.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace quen::host {

// Adds the disc folders to the group of recovery sources of `run`, on Linux.
void AddDiscOptions(CLI::App& sources, RunOptions& options);
// Adds --machine-root to a command, on Linux.
void AddMachineRootOption(CLI::App& command, std::filesystem::path& root);

// Sets the machine the library works in (`root`, when not empty), before
// anything reads it; `create`: makes the folder when missing (a dry run
// leaves it as it is).
void PrepareMachine(const std::filesystem::path& root, bool create = true);

// The drive letters through which, on Linux, the program shows the library
// its folders: the database's, the recovery source's, the destination's.
constexpr wchar_t kDatabaseDrive = L'D';
constexpr wchar_t kSourceDrive = L'S';
constexpr wchar_t kDestinationDrive = L'T';

// The Windows path by which the library reaches host folder `folder`, with a
// trailing backslash. On Linux drive `letter` is mapped to the folder
// ("S:\"); on Windows it is the folder's own full path.
std::wstring Reach(wchar_t letter, const std::filesystem::path& folder);

// Where the run's results are on the host, for the summary: on Linux the
// machine root, its drive C: and its registry store.
std::vector<std::string> MachineLines();

}  // namespace quen::host
