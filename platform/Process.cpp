// What both implementations of program start share.
#include "platform/Process.h"

#include "platform/Text.h"

namespace quen::platform {

bool IsBatchFile(const std::wstring& program)
{
    const auto dot = program.find_last_of(L".\\/");
    if (dot == std::wstring::npos || program[dot] != L'.')
        return false;
    const std::wstring_view extension = std::wstring_view(program).substr(dot);
    return EqualsNoCase(extension, L".bat") || EqualsNoCase(extension, L".cmd");
}

}  // namespace quen::platform
