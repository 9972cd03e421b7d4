#include "platform/personality/ExpandEnvironment.h"

namespace quen::platform::personality {

std::wstring ExpandEnvVars(const std::wstring& text, const VariableLookup& lookup)
{
    std::wstring out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find(L'%', i);
        if (open == std::wstring::npos)
            break;
        const std::size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos)
            break;
        out.append(text, i, open - i);
        std::wstring value;
        const std::wstring name = text.substr(open + 1, close - open - 1);
        if (!name.empty() && lookup(name, value)) {
            out += value;
            i = close + 1;
        } else {
            // Not a variable: keep the first % and look for a reference from the second.
            out += L'%';
            i = open + 1;
        }
    }
    out.append(text, i, std::wstring::npos);
    return out;
}

}  // namespace quen::platform::personality
