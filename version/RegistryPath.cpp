#include "version/RegistryPath.h"

#include "platform/Text.h"

namespace quen {

bool NamesRegistryRoot(std::wstring_view path)
{
    while (!path.empty() && !platform::IsLetter(path.front()) && !platform::IsDigit(path.front()))
        path.remove_prefix(1);
    const auto beginsWith = [&](std::wstring_view name) {
        return path.size() >= name.size() && platform::EqualsNoCase(path.substr(0, name.size()), name);
    };
    if (beginsWith(L"HKEY_"))
        return true;
    for (const std::wstring_view name : {L"HKCU", L"HKLM", L"HKU", L"HKCC", L"HKDD"}) {
        if (beginsWith(name) && (path.size() == name.size() || path[name.size()] == L'\\'))
            return true;
    }
    return false;
}

}  // namespace quen
