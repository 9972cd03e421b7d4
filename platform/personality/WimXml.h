// Pieces of a WIM's XML description.
#pragma once

#include <string>
#include <string_view>

namespace quen::platform::personality {

// The element <IMAGE INDEX="index">...</IMAGE> of the XML; false when it has none.
bool FindImageElement(std::u16string_view xml, int index, std::u16string& element);

}  // namespace quen::platform::personality
