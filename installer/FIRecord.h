// The FI record's pieces that name places on disk, read one way by the
// staging copy and the dry run.
#pragma once

#include <quen/InstallDB.h>

#include <string>

namespace quen {

// The application-and-driver package's file name: the BLID's first ten
// characters (all of a shorter one) followed by ".app".
std::wstring AppPackageName(const CDataTable& fi);

// Throws ELibraryException naming the field and the FI when its release path,
// or the BLID's part of the package name, fails the record-path check.
void CheckFIPaths(const CDataTable& fi);

}  // namespace quen
