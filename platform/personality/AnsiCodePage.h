// The ANSI code page of a Western Windows, Windows-1252, which the POSIX build
// takes as its own.
#pragma once

#include <string>
#include <string_view>

namespace quen::platform::personality {

std::wstring FromWindows1252(std::string_view bytes);

}  // namespace quen::platform::personality
