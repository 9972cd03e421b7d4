// CCopyAppsAndDrivers: the copy-list entry of the foundation image (the FI),
// whose application-and-driver package is one WIM file,
// "<first ten characters of the BLID>.app", in the FI's release folder.
//
// Staging it copies the package into the FI's folder below the installs
// folder and unpacks its first image into the installer's extraction folder,
// from which the applications and drivers are installed. The FI's release
// path and BLID name places on disk: one that is not a plain relative piece
// throws ELibraryException naming the field and the FI before anything on
// disk is touched.
#pragma once

#include <quen/Export.h>
#include <quen/ModuleToCopy.h>

#include <string>

class CInstaller;

class QUEN_API CCopyAppsAndDrivers : public IModuleToCopy {
public:
    // The installer is not owned; it gives the database and the folders. The
    // disc starts at -1.
    explicit CCopyAppsAndDrivers(CInstaller* installer);

    int GetDisc() const override;
    // Throws EFileException (NotFound, the package's path as directory) when
    // the package is missing, before the destination is touched.
    void CopyToInstallDir() override;
    // The FI record's fields; each throws EDataException when it is missing.
    std::wstring PathToRelease() const override;
    std::wstring CustomerLabel() const override;
    std::wstring OS() const override;
    virtual ~CCopyAppsAndDrivers();

    void SetDisc(int disc);
    // The package's file name: the BLID's first ten characters (all of a
    // shorter one) followed by ".app".
    std::wstring AppFileName() const;
    // The FI's release folder on the source: the source folder, a backslash,
    // the release path (with a trailing backslash only if it has one).
    std::wstring PathToFI() const;

private:
    CInstaller* m_installer;
    int m_disc = -1;
};
