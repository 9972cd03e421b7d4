// Bytes of the pieces of a WIM file that the library reads without wimgapi.
#pragma once

#include "foundation/WideString.h"

#include <string>
#include <string_view>

namespace quen::test {

// An XML description as a WIM file ends with it: the byte-order mark FF FE,
// then the text in UTF-16LE.
inline std::string XmlTail(std::wstring_view xml) { return std::string(kUtf16LeBom) + ToUtf16Le(xml); }
// A header that reads as plain: "MSWIM\0\0\0" and eight more bytes.
inline std::string PlainHeader() { return std::string("MSWIM\0\0\0\xD0\0\0\0\0\x0D\x01\0", 16); }

}  // namespace quen::test
