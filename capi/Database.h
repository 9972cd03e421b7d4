// The handle behind quen_database.
#pragma once

#include <quen/InstallDB.h>
#include <quen/quen.h>

struct quen_database {
    CInstallDB db;
};
