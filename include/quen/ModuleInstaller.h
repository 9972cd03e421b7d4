// CModuleInstaller: one module of an installation, over its record in the
// install database.
//
// The installer makes one per record and the copy list uses them as its
// entries: a module that lies on several discs gets copies, one per disc.
// Every field is read from the record when needed, so the host keeps the
// record alive for the whole run.
//
// Paths taken from the record (the release path) name places below the
// installer's folders; one that is not a plain relative path (a drive, a
// share, `.` or `..`, an empty piece) throws ELibraryException naming the
// field and the module before anything on disk is touched.
#pragma once

#include <quen/Export.h>
#include <quen/InstallDB.h>
#include <quen/Installer.h>
#include <quen/ModuleHost.h>
#include <quen/ModuleToCopy.h>

#include <cstdint>
#include <functional>
#include <string>

class CInstaller;
namespace quen {
struct ModuleAccess;
}

class QUEN_API CModuleInstaller : public IModuleToCopy {
public:
    // Keeps both pointers; neither is owned. The disc starts at -1.
    CModuleInstaller(const CDataTable* record, CInstaller* installer);
    // The same record and installer; the disc starts at -1 again.
    CModuleInstaller(const CModuleInstaller& other);
    // Takes everything, the disc included.
    CModuleInstaller& operator=(const CModuleInstaller& other);
    virtual ~CModuleInstaller();

    int GetDisc() const override;
    // Copies the module's release folder from the source into its folder
    // below the installs folder (an application or driver: its *.app files
    // only). Throws EFileException (BadPath) when the source folder is missing.
    void CopyToInstallDir() override;
    std::wstring PathToRelease() const override;
    std::wstring CustomerLabel() const override;
    std::wstring OS() const override;

    void SetDisc(int disc);
    // Installs the module by the method its part type and installer type
    // choose, writes its registry record and, for a file-copy module, checks
    // the installed version. Throws ELibraryException for an invalid record;
    // a setup program that fails or cannot start is reported through the
    // installer's setup-failed event and the install goes on; any other
    // failure of the method leaves as its exception.
    void PerformInstall();
    // Removes the module's folder below the installs folder; failures are
    // not reported.
    void CleanupAfterInstall();
    // The copy list found no disc that holds the module: its install, if
    // it runs, is reported as not staged.
    void MarkNotStaged() { m_notStaged = true; }

    // A record's VersionPath as a run hands it to VerifyVersion, for hosts
    // that check a version on their own: %PROGRAMFILES32%, %PROGRAMFILES64%
    // and environment variables expanded, enclosing quotes removed; a path
    // without a drive or share placed below `destination` (the installer's
    // destination folder, as given to SetPaths), unless it names a registry
    // root (HKLM\..., `\HKLM\...`), which stays as it is. docs/paths.md
    // ("Destination and version paths") has the rules.
    static std::wstring ExpandVersionPath(const std::wstring& versionPath, const std::wstring& destination);

private:
    friend struct quen::ModuleAccess;  // the module rules the copy list and the dry run apply too

    IModuleHost* Installer() const { return m_installer; }
    const CDataTable* Module() const { return m_record; }

    // The record's booleans; false when the field is missing (bad data
    // still throws EDataException).
    bool IsOOBE() const;
    bool IsTemporary() const;
    bool BasePlus() const;
    std::wstring InstallerType() const;
    std::wstring PartType() const;
    std::wstring ReleaseID() const;
    std::wstring ReleaseName() const;
    std::wstring Recoverable() const;
    // False, with an Error line naming the first empty required field, when
    // the record lacks one.
    bool IsValidModule();
    // False for data modules, which install nothing.
    bool ValidInstallType();

    // The module's folders: the installer's folder followed by the release
    // path. Each checks the release path first.
    std::wstring SourceDir() const;
    std::wstring InstallsDir() const;
    std::wstring ExtractDir() const;
    std::wstring WIMDir() const;
    std::wstring MountDir() const;
    // Where the module's files are read from: the installs folder for a
    // temporary module, else the source.
    std::wstring GetInstallSource() const;
    // The full path of the first file of the module's source folder that
    // matches `pattern`, or empty.
    std::wstring FindFirstMatching(const std::wstring& pattern) const;

    // A destination path with %PROGRAMFILES32%/%PROGRAMFILES64% and
    // environment variables expanded and quotes removed; a relative one
    // placed below the installer's destination folder.
    std::wstring ExpandPath(const std::wstring& path) const;
    // ExpandPath's work below `destination`; with `registryStays`, a path
    // that names a registry root is not placed there.
    static std::wstring Expanded(const std::wstring& path, const std::wstring& destination, bool registryStays);
    // `output` = `input` with the program-files tokens replaced by the
    // environment variables that name them on this machine; true when a
    // token was replaced.
    static bool ReplaceEnvironmentString(const std::wstring& input, std::wstring& output);

    // The install methods. File copy: the release folder to the destination
    // the record names. Exe/batch: the module's "*.mod" package unpacked and
    // its setup program run. Application or driver: a driver's INF folder
    // copied into the driver store, else the setup program of the unpacked
    // application-and-driver package run.
    void InstallFileCopy();
    void InstallExeOrBatch();
    void InstallAppOrDriver();
    // Calls `launch`, which starts the setup program with the options given
    // (its output logged after the module's label, the installer's setup
    // timeout, the installer's stop flag) and stores its exit code. A code
    // other than 0, an ELibraryException, a timeout (1460) or a stop (1223)
    // is reported through the setup-failed event with the module's label.
    using SetupLaunch = std::function<CExecuteCmd::EEnding(const CExecuteCmd::Options& options, uint32_t& exitCode)>;
    void RunSetupProgram(const SetupLaunch& launch);

    // The module's record below HKLM\SOFTWARE\Quen Corporation\Installed
    // Software\<prefix><label> <part ID>; a null mode writes "Recovery".
    void WriteRegisteryKeys(const std::wstring& prefix, const std::wstring* installMode);
    void LogInstallInRegistry();
    // HKLM\Software\Microsoft\Windows\CurrentVersion\Setup\State, value
    // ImageState; empty when it cannot be read.
    std::wstring GetImageState();
    void SetImageState(const std::wstring& state);

    // PerformInstall's work; PerformInstall reports what it came to.
    void Install();
    void SetOutcome(CInstaller::EModuleOutcome outcome, int32_t code = 0);
    void ReportOutcome();

    IModuleHost* m_installer;
    int32_t m_disc = -1;
    const CDataTable* m_record;
    bool m_notStaged = false;
    ModuleOutcomeEventData m_outcome;
};
