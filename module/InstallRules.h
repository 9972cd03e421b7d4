// The rules by which one module record is installed, in one place each, so
// that the run applies them and the dry run checks them ahead of it the same
// way: which install method the record chooses, the fields it must carry, the
// record paths that name its folders, where its package lies and what the
// staging copy takes from its release folder.
#pragma once

#include <quen/InstallDB.h>
#include <quen/OsServices.h>

#include <string>

class CModuleInstaller;

namespace quen {

enum class EInstallMethod {
    Skip,           // a data record installs nothing
    AppOrDriver,    // the setup program of the unpacked application-and-driver package
    InfDriver,      // the driver's folder copied into the driver store
    ExeOrBatch,     // the module's "*.mod" package unpacked and its setup program run
    FileCopy,       // the release folder copied to the destination the record names
    None,           // no method fits the part type and installer type
};

// Types compare without regard to case. A data record is skipped whatever its
// part; applications and drivers have one method whatever their installer
// type (INF: the driver store); the installer type chooses only among modules.
EInstallMethod InstallMethodOf(const CDataTable& record);

// The first required field the record lacks or leaves empty; empty when none.
std::wstring FirstMissingField(const CDataTable& record);

// The release path, once it passed the record-path check (else that check's
// ELibraryException).
std::wstring CheckedReleasePath(const CDataTable& record);

// Throws ELibraryException when the piece that `method` names a folder with,
// beyond the release path, fails the record-path check: an exe/batch module's
// release ID (its extraction folder), an INF driver's label (its driver-store
// folder). Other methods name none.
void CheckMethodPath(const CDataTable& record, EInstallMethod method);

// The full path of the first "*.mod" package in `folder`, or empty.
std::wstring FindModulePackage(const std::wstring& folder);

// Lists in `source` (the release folder) what the staging copy copies: an
// application's or driver's *.app files, a module's whole tree, nothing of
// any other part.
void LoadStagedContents(const CDataTable& record, CDirectory& source);

// What the installer's copy list and dry run read of a module installer.
struct ModuleAccess {
    static const CDataTable& Record(const CModuleInstaller& module);
    // No disc of the copy list holds the module.
    static bool NotStaged(const CModuleInstaller& module);
};

}  // namespace quen
