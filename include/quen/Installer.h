// CInstaller: one installation's configuration and driver.
//
// A host constructs it over its install database, configures it with
// SetFlags and SetPaths, registers its callbacks, calls Install and waits for
// InstallFinished. The work area lives below the Windows directory:
//
//   <Windows>\Temp\Quen\            work root
//   <Windows>\Temp\Quen\Temp\       temporary files
//   <Windows>\Temp\Quen\Installs\   staged module folders
//   <Windows>\Temp\Quen\WIMs\       WIM working copies
//   <Windows>\Temp\Quen\Mount\      mount point (SetPaths may move it)
//   <Windows>\Temp\Quen\Extracted\  unpacked images
#pragma once

#include <quen/Export.h>
#include <quen/InstallDB.h>
#include <quen/OsServices.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CModuleInstaller;

class QUEN_API CInstaller {
public:
    enum EInstallStatus : int32_t {
        eStatusCompleted = 0,
        eStatusFailed = 1,
        eStatusCancelled = 2,
    };

    // Names of the work-area folders and other texts, published so that hosts
    // compose the same paths.
    static const wchar_t* const StrQuenRoot;       // "Quen\"
    static const wchar_t* const StrQuenInstalls;   // "Installs\"
    static const wchar_t* const StrQuenTemp;       // "Temp\"
    static const wchar_t* const StrQuenWIMs;       // "WIMs\"
    static const wchar_t* const StrQuenMount;      // "Mount\"
    static const wchar_t* const StrQuenExtracted;  // "Extracted\"
    static const wchar_t* const StrQuenHdRcvIni;   // "qenhdrcv.ini"
    static const wchar_t* const StrPath;           // "Path"
    static const wchar_t* const StrDiscIndex;      // "Index"
    static const wchar_t* const StrInstalled;      // "Installed"
    static const wchar_t* const StrTrue;           // "true"
    static const wchar_t* const StrFalse;          // "false"

    // Keeps a reference to `database`, which the host keeps alive. A null
    // `shutdownReason` gives "Please don't shutdown the computer during the
    // installation.". Creates no folder.
    explicit CInstaller(CInstallDB& database, const std::wstring* shutdownReason = nullptr);
    virtual ~CInstaller();
    CInstaller(const CInstaller&) = delete;
    CInstaller& operator=(const CInstaller&) = delete;

    // hardDiskSource: the source is a folder (true) or numbered recovery
    // discs in one drive (false). The second flag is recorded only.
    void SetFlags(bool hardDiskSource, bool secondFlag);
    // Stores the texts unchanged (null stores an empty text). The fourth
    // replaces the mount folder; the third is recorded only.
    void SetPaths(const std::wstring* sourceDir, const std::wstring* destDir, const std::wstring* thirdPath,
                  const std::wstring* mountDir);

private:
    friend class CModuleInstaller;
    friend class CCopyAppsAndDrivers;
    friend struct CInstallerTestPeer;

    std::wstring SourceDir() const { return m_sourceDir; }
    std::wstring DestDir() const { return m_destDir; }
    std::wstring InstallsDir() const { return m_installsDir; }
    std::wstring TempDir() const { return m_tempDir; }
    std::wstring WIMDir() const { return m_wimDir; }
    std::wstring MountDir() const { return m_mountDir; }
    std::wstring ExtractDir() const { return m_extractDir; }
    uint32_t GetSetupDelay() const { return m_setupDelay; }

    // The paths that module installers staged into the installs folder;
    // exact, case-sensitive texts.
    bool IsPathInstalled(const std::wstring& path) const;
    void SetPathInstalled(const std::wstring& path);

    // Prepares the work area: each folder created or emptied, then hidden.
    // Throws ELibraryException when a hard-disk source does not exist.
    void ValidateDirectories();

    std::atomic<bool> m_cancelled{false};
    CMulticastEvent m_progressEvent;
    CMulticastEvent m_setupFailedEvent;
    CMulticastEvent m_installStatusEvent;
    CMulticastEvent m_installFinishedEvent;
    bool m_flagsSet = false;
    bool m_hardDiskSource = false;
    bool m_secondFlag = false;
    std::atomic<int32_t> m_installStatus{eStatusCompleted};
    bool m_pathsSet = false;
    std::wstring m_sourceDir;
    std::wstring m_destDir;
    std::wstring m_workRoot;
    std::wstring m_installsDir;
    std::wstring m_tempDir;
    std::wstring m_wimDir;
    std::wstring m_mountDir;
    std::wstring m_extractDir;
    std::wstring m_thirdPath;
    uint32_t m_setupDelay = 0;
    std::wstring m_mediaType;
    std::map<std::wstring, void*> m_installedPaths;
    CInstallDB& m_database;
    std::wstring m_shutdownReason;
    double m_progress = 0.0;
    double m_progressChunk = 0.0;
    bool m_descriptionOpened = false;
    CQuenHDRecoveryIni m_description;
    std::vector<CModuleInstaller*> m_appInstallers;
    std::vector<CModuleInstaller*> m_moduleInstallers;
    CBackgroundOperation m_backgroundOperation;
};
