// Pieces of a WIM's XML description.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quen::platform::posix {

// UTF-16 code units of little-endian bytes (an odd last byte is dropped), and back.
std::u16string Utf16FromBytes(const void* bytes, std::size_t size);
std::string BytesFromUtf16(std::u16string_view text);

// The element <IMAGE INDEX="index">...</IMAGE> of the XML; false when it has none.
bool FindImageElement(std::u16string_view xml, int index, std::u16string& element);

}  // namespace quen::platform::posix
