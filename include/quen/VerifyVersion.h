// The version check run after a module has been copied into place: does the
// version a record expects stand at a registry location or in a file?
//
// The version path names either a registry location (it begins with a root:
// an HKEY_ name, or HKCU, HKLM, HKU, HKCC, HKDD followed by a backslash) or a
// file; from a file the version comes from its version resource, from its
// text lines or from its modification date, depending on the file and on the
// form of the expected text. docs/versions.md describes every source and how
// each side is normalised before comparing.
#pragma once

#include <quen/Export.h>

#include <cstdint>
#include <string>

// What VerifyVersion returns.
enum EVerifyVersionResult : int32_t {
    eVersionPresent = 0,
    eVersionFileNotFound = 1,          // neither the path nor its other-bitness folder names a file
    eFileVersionDiffers = 2,           // file version or date differs, or cannot be read
    eRegistryVersionDiffers = 3,       // registry key name or value differs
    eNoMatchingTextLine = 4,           // no line equals the expected text, or the file cannot be opened
    eNoVersionPath = 5,
    eNoExpectedVersion = 6,
    eRegistryPathWithoutKey = 7,       // no backslash after the root name
    eUnknownRegistryRoot = 8,
    eRegistryPathWithoutValueName = 9,
    eRegistryKeyNotOpened = 10,
    eRegistryValueNotRead = 11,
    eUnsupportedRegistryValue = 12,    // a type other than REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD
};

// Checks that `expectedVersion` is the version found at `versionPath`.
// Environment variables in both are expanded first; either may be null.
// `result` receives the version text found (empty when there is none, "FILE
// NOT FOUND" when no file exists). Returns an EVerifyVersionResult.
QUEN_API int32_t VerifyVersion(const wchar_t* versionPath, const wchar_t* expectedVersion, std::wstring& result);
