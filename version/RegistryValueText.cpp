#include "version/RegistryValueText.h"

#include <quen/VerifyVersion.h>

#include "foundation/WideString.h"
#include "platform/Environment.h"
#include "version/VersionStrings.h"

namespace quen {

int32_t FormatRegistryValue(const platform::RegValue& value, std::wstring& text)
{
    namespace regtype = platform::regtype;
    text.clear();
    switch (value.type) {
    case regtype::Sz:
    case regtype::ExpandSz:
        text = platform::ExpandEnvVars(platform::RegValueText(value));
        TrimLeadingNonAlnum(text);
        TrimTrailingNonAlnum(text);
        return eVersionPresent;
    case regtype::Binary:
        for (const uint8_t byte : value.data) {
            if (!text.empty())
                text += L' ';
            text += Format(L"%02X", byte);
        }
        return eVersionPresent;
    case regtype::Dword:
        // A value shorter than its type says has no number to show.
        if (value.data.size() < 4)
            return eUnsupportedRegistryValue;
        for (std::size_t i = 4; i-- > 0;)
            text += Format(L"%02X", value.data[i]);
        StripLeadingZeros(text);
        return eVersionPresent;
    default:
        return eUnsupportedRegistryValue;
    }
}

}  // namespace quen
