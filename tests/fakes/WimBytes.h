// Bytes of the pieces of a WIM file that the library reads without wimgapi.
#pragma once

#include <string>
#include <string_view>

namespace quen::test {

// An XML description as a WIM file ends with it: the byte-order mark FF FE,
// then the text in UTF-16LE.
std::string XmlTail(std::wstring_view xml);
// A header that reads as plain: "MSWIM\0\0\0" and eight more bytes.
std::string PlainHeader();

}  // namespace quen::test
