// The handle behind quen_installer: a CInstaller over the handle's database,
// and the slot of the event table whose callbacks it registered.
#pragma once

#include "capi/Database.h"

#include <quen/Installer.h>
#include <quen/quen.h>

#include <cstddef>

struct quen_installer {
    quen_installer(quen_database& database, const std::wstring* shutdownReason, std::size_t slot)
        : database(database), installer(database.db, shutdownReason), slot(slot)
    {
    }

    quen_database& database;
    CInstaller installer;
    std::size_t slot;
};
