// Conversions between the library's wide texts and the UTF-8 that the
// terminal, JSON and the command line speak.
#pragma once

#include <string>
#include <string_view>

namespace quen::host {

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

}  // namespace quen::host
