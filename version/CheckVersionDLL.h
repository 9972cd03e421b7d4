// One version check: the normalised version path and expected text, the
// choice of source and each source's comparison. Lives for one call of
// VerifyVersion; the only thing it leaves behind is the caller's result text.
#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <optional>
#include <string>

class CCheckVersionDLL {
public:
    // Expands environment variables in both texts and upper-cases them; the
    // path loses enclosing double quotes and surrounding white space, the
    // expected text its leading and trailing non-alphanumeric characters.
    // Empties `result`. Either text may be null.
    CCheckVersionDLL(const wchar_t* versionPath, const wchar_t* expectedVersion, std::wstring& result);

    // Chooses the source and returns an EVerifyVersionResult.
    int32_t CheckVersion();

    enum ERegistryLookup { eLookupKeyName = 0, eLookupNamedValue = 1, eLookupDefaultValue = 2 };

private:
    bool IsRegistryPath() const;
    static bool FileExists(const std::wstring& path);
    // The same file in the other bitness's folder (Program Files and System32).
    static std::wstring OtherBitnessPath(std::wstring path);

    int32_t CheckFile();
    int32_t CheckFileVersion();
    int32_t CheckTextFile();
    int32_t CheckFileDate();
    bool IsDateLike() const;

    int32_t CheckRegistry(ERegistryLookup lookup);
    // A root that this system lacks (HKEY_DYN_DATA) is empty: its keys never open.
    using Root = std::optional<quen::platform::RegRoot>;
    bool KeyOpens(const Root& root, const std::wstring& key) const;
    int32_t CheckKeyName(const Root& root, const std::wstring& key);
    int32_t CheckValue(const Root& root, const std::wstring& key, const std::wstring& valueName);

    std::wstring m_versionPath;
    std::wstring m_expectedVersion;
    std::wstring m_registryText;
    quen::platform::RegValue m_value;
    std::wstring& m_result;
    quen::platform::RegView m_registryView = quen::platform::RegView::Native;
};
