// The version in the registry: the name of a key, its default value or a
// named value, in the view the check is looking at.
#include "version/CheckVersionDLL.h"

#include <quen/VerifyVersion.h>

#include "platform/Errors.h"
#include "platform/Text.h"
#include "version/RegistryValueText.h"
#include "version/VersionStrings.h"

#include <string>
#include <string_view>

namespace {

namespace platform = quen::platform;
using platform::RegRoot;

struct RootName {
    std::wstring_view name;
    std::optional<RegRoot> root;
};

// HKEY_DYN_DATA belonged to Windows 9x: known by name, but nothing opens there.
const RootName kRoots[] = {
    {L"HKEY_CURRENT_USER", RegRoot::CurrentUser},     {L"HKCU", RegRoot::CurrentUser},
    {L"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},   {L"HKLM", RegRoot::LocalMachine},
    {L"HKEY_USERS", RegRoot::Users},                  {L"HKU", RegRoot::Users},
    {L"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig}, {L"HKCC", RegRoot::CurrentConfig},
    {L"HKEY_DYN_DATA", std::nullopt},                 {L"HKDD", std::nullopt},
};

}  // namespace

int32_t CCheckVersionDLL::CheckRegistry(ERegistryLookup lookup)
{
    quen::TrimLeadingNonAlnum(m_versionPath);
    quen::TrimTrailingNonAlnum(m_versionPath);
    const std::size_t slash = m_versionPath.find(L'\\');
    if (slash == std::wstring::npos)
        return eRegistryPathWithoutKey;
    const std::wstring_view rootName = std::wstring_view(m_versionPath).substr(0, slash);
    const std::wstring rest = m_versionPath.substr(slash + 1);
    const RootName* root = nullptr;
    for (const RootName& entry : kRoots) {
        if (entry.name == rootName)
            root = &entry;
    }
    if (!root)
        return eUnknownRegistryRoot;

    switch (lookup) {
    case eLookupKeyName: return CheckKeyName(root->root, rest);
    case eLookupDefaultValue: return CheckValue(root->root, rest, std::wstring());
    case eLookupNamedValue: break;
    }
    const std::size_t last = rest.rfind(L'\\');
    if (last == std::wstring::npos)
        return eRegistryPathWithoutValueName;
    return CheckValue(root->root, rest.substr(0, last), rest.substr(last + 1));
}

bool CCheckVersionDLL::KeyOpens(const Root& root, const std::wstring& key) const
{
    return root && platform::RegKeyExists(*root, key, m_registryView);
}

// The last key's name is the version: ...\Product\2.1 holds version 2.1.
int32_t CCheckVersionDLL::CheckKeyName(const Root& root, const std::wstring& key)
{
    const std::size_t last = key.rfind(L'\\');
    const std::wstring name = last == std::wstring::npos ? key : key.substr(last + 1);
    if (!KeyOpens(root, key))
        return eRegistryKeyNotOpened;
    m_result = name;
    if (m_expectedVersion == name)
        return eVersionPresent;
    // 02.10 is 2.1.
    std::wstring found = name, expected = m_expectedVersion;
    for (std::wstring* text : {&found, &expected}) {
        quen::StripLeadingZeros(*text);
        quen::StripTrailingZeros(*text);
    }
    m_result = found;
    return found == expected ? eVersionPresent : eRegistryVersionDiffers;
}

int32_t CCheckVersionDLL::CheckValue(const Root& root, const std::wstring& key, const std::wstring& valueName)
{
    if (!KeyOpens(root, key))
        return eRegistryKeyNotOpened;
    if (platform::RegRead(*root, key, valueName, m_registryView, m_value) != platform::err::Success)
        return eRegistryValueNotRead;
    if (const int32_t code = quen::FormatRegistryValue(m_value, m_registryText))
        return code;
    m_result = m_registryText;
    m_registryText = platform::ToUpper(m_registryText);
    if (m_value.type == platform::regtype::Dword) {
        // The expected number may be written in hexadecimal or in decimal.
        // Decimal is read unsigned: the expected text has lost any minus
        // sign by now, so FFFFFFFF can only be 4294967295.
        quen::StripLeadingZeros(m_expectedVersion);
        if (m_registryText != m_expectedVersion) {
            uint32_t number = 0;
            for (std::size_t i = 4; i-- > 0;)
                number = number << 8 | m_value.data[i];
            m_registryText = std::to_wstring(number);
        }
    }
    return m_registryText == m_expectedVersion ? eVersionPresent : eRegistryVersionDiffers;
}
