// Turning the bytes of an install database file into its records.
#pragma once

#include <quen/InstallDB.h>

#include <string>
#include <string_view>

namespace quen::installdb {

inline constexpr wchar_t InstallDatabaseDocument[] = L"Install database";

struct DatabaseContents {
    CDataTable image;
    CDataTable foundationImage;
    CDataTableList applications;
    CDataTableList modules;
};

// Parses a whole database (docs/install-database.md). Throws EDataException
// naming `path`, line and column for anything that is not a valid database.
DatabaseContents ParseInstallDatabase(std::string_view bytes, const std::wstring& path);

}  // namespace quen::installdb
