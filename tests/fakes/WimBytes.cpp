#include "fakes/WimBytes.h"

#include "foundation/WideString.h"

namespace quen::test {

std::string XmlTail(std::wstring_view xml) { return std::string(kUtf16LeBom) + ToUtf16Le(xml); }

std::string PlainHeader() { return std::string("MSWIM\0\0\0\xD0\0\0\0\0\x0D\x01\0", 16); }

}  // namespace quen::test
