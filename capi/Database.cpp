// quen_database: an install database opened from its file.
#include "capi/Database.h"

#include "capi/Call.h"

QUEN_C_API quen_status quen_database_open(const wchar_t* path, quen_database** database)
{
    using namespace quen::capi;
    return Call([&] {
        Required(database, "database") = nullptr;
        *database = new quen_database{CInstallDB(RequiredText(path, "path"))};
    });
}

QUEN_C_API quen_status quen_database_close(quen_database* database)
{
    using namespace quen::capi;
    return Call([&] { delete &Required(database, "database"); });
}
