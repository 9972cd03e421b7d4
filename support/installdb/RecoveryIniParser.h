// Turning the bytes of a recovery-media description into its media types.
#pragma once

#include <quen/InstallDB.h>

#include <string>
#include <string_view>
#include <vector>

namespace quen::installdb {

inline constexpr wchar_t RecoveryIniDocument[] = L"Recovery-media description";

// Parses a whole description (docs/recovery-ini.md). Throws EDataException
// naming `path`, line and column when it cannot be parsed.
std::vector<CQuenHDRecoveryIni::MediaType> ParseRecoveryIni(std::string_view bytes, const std::wstring& path);

}  // namespace quen::installdb
