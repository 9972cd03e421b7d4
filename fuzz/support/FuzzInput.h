// What the fuzz targets share: a machine of their own in a temporary folder,
// the input as a file on it, and the input as wide text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quen::fuzz {

// A fresh machine root in the host's temporary folder, set up on first use
// with C:\ as current directory and no mapped drive, removed at exit. Every
// target runs on it, never on the user's machine.
const std::filesystem::path& MachineRoot();

// Writes the input to C:\fuzz\<name> of that machine and returns that path.
std::wstring WriteInput(const uint8_t* data, std::size_t size, const std::wstring& name);

// The input as text: UTF-8 decoded, every byte that is not part of a valid
// sequence kept as the lone surrogate U+DC00 + byte (U+DC80 to U+DCFF). So a
// plain seed reads as itself, and hostile texts hold characters that have no
// UTF-8 or UTF-16 form.
std::wstring WideText(const uint8_t* data, std::size_t size);

// Stops the process as a finding when a property the reader promises fails.
void Require(bool holds, const char* what);

}  // namespace quen::fuzz
