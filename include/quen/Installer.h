// CInstaller: one installation's configuration and driver.
//
// A host constructs it over its install database, configures it with
// SetFlags and SetPaths, registers its callbacks, calls Install and waits for
// InstallFinished. The callbacks receive, through their `void*`, a record
// built for the call (valid only during it): Progress a double (percent),
// SetupFailed a SetupFailedEventData, InstallStatus an InstallStatusEventData,
// InstallFinished an InstallFinishedEventData, DetailProgress a
// DetailProgressEventData, ModuleOutcome a ModuleOutcomeEventData.
// RecoveryMediaRequired asks
// the host for disc `index + 1`: the host sets the answer to true once the
// disc is in, or leaves it false to give up. The work area lives below the
// Windows directory:
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
#include <quen/InstallPlan.h>
#include <quen/ModuleHost.h>
#include <quen/MulticastEventT2.h>
#include <quen/OsServices.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CModuleInstaller;
class CCopyList;
class IModuleToCopy;
struct ModuleOutcomeEventData;

namespace quen::detail {
struct RunState;
struct RunSteps;
class MachineHold;
class AutoplayHold;
}  // namespace quen::detail

class QUEN_API CInstaller : public IModuleHost {
public:
    enum EInstallAction : int32_t {
        eActionStarted = 0,     // Install began; empty text
        eActionCopied = 1,      // every module is staged; empty text
        eActionInstalling = 2,  // a module starts installing; its label
    };

    enum EInstallStatus : int32_t {
        eStatusCompleted = 0,
        eStatusFailed = 1,
        eStatusCancelled = 2,
    };

    // What became of one module of a run, reported once per module that the
    // run reached, after its install.
    enum EModuleOutcome : int32_t {
        eModuleInstalled = 0,
        eModuleSetupFailed = 1,         // code: the setup program's exit code (1001: it could not start)
        eModuleSkippedData = 2,         // a data module installs nothing
        eModulePackageMissing = 3,      // no "*.mod" package, or one that cannot be opened
        eModuleReleaseIdMismatch = 4,   // the package's release ID is not the record's (both given)
        eModuleNotStaged = 5,           // no disc holds the module's release folder
        eModuleVersionCheckFailed = 6,  // code: the version check's result
        eModuleFailed = 7,              // its install threw, which ended the run
        eModuleNotInstalled = 8,        // no install method fits its types, or an INF driver's folder is missing
        eModuleSetupTimedOut = 9,       // code: the setup timeout in seconds; the program was ended
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
    // Cancels a run that is going and waits for its end. Called from one of
    // the run's own callbacks it cannot wait: the run then ends without the
    // installer, alone (see WaitForAbandonedRuns).
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

    // Starts a run on the installer's own thread: reports the start (Progress
    // 1 %, InstallStatus eActionStarted), prepares the work area and makes
    // one module installer per record of either list. `mediaType` names the
    // recovery medium (the leading part of a disc's marker file name). True
    // when the thread started. A run whose installer was destroyed from its
    // own callback is waited for first (WaitForAbandonedRuns). Throws
    // ELibraryException when SetFlags or SetPaths has not been called, when
    // a run of this installer is still going, when called from a callback
    // of a run whose installer was destroyed (it would wait for itself), or
    // when another installation holds the work area, and whatever preparing
    // the work area throws; no thread starts then.
    bool Install(const std::wstring* mediaType, const CDataTableList& applications, const CDataTableList& modules);
    // A dry run over the same records: the copy list the run would stage,
    // disc by disc, and every problem found on the way by the run's own
    // rules: a record that lacks a required field (named), a path piece of
    // a record that fails the record-path check, a module or FI that no
    // disc holds, a release folder, FI package or "*.mod" package missing
    // from the source, a package whose release ID is not the record's, a
    // staging copy (of what can be looked into) larger than the free space
    // of the work area's volume.
    // From discs, `discRoots` gives the folder of each disc in turn (disc 1
    // first) where they can be looked into; entries of other discs are
    // listed unchecked. Touches neither the work area nor the destination,
    // fires no event. Throws as Install does before SetFlags or SetPaths,
    // and while a run is going.
    InstallPlan Plan(const std::wstring* mediaType, const CDataTableList& applications, const CDataTableList& modules,
                     const std::vector<std::wstring>& discRoots = {});
    // Asks the run to stop before its next module, or at once while a disc is
    // being asked for (the run then ends as a disc given up); does not wait.
    // Always true.
    bool Cancel();
    // Cancels as Cancel does and also ends the setup program that is running,
    // with every process it started (SetupFailed with 1223); the module being
    // installed starts no further program. Does not wait. Always true.
    bool CancelNow();
    // Seconds a setup program may run before it and every process it started
    // are ended (SetupFailed with 1460, outcome eModuleSetupTimedOut); the run
    // goes on. 0, the default, waits as long as the program runs. Read when a
    // program starts.
    void SetSetupTimeout(uint32_t seconds) { m_setupTimeout = seconds; }
    // True from a successful Install until the run's thread has ended, after
    // its clean-up: InstallFinished comes before the clean-up, and a new
    // Install during it throws.
    bool IsRunning() const;
    // Waits until the run's thread has ended; returns at once when no run is
    // going, or when called on the run's own thread (from a callback).
    void Wait();
    // Waits until every run whose installer a host destroyed from one of its
    // callbacks has ended its clean-up (such a run goes on alone; see the
    // destructor); returns at once when there is none. Called from such a
    // run's own callback it waits for the others only. A host calls it
    // before it exits: on Linux the library also waits at the process's
    // exit, on Windows nothing can (a DLL's exit work runs after the system
    // has ended the other threads), and the work area would stay behind.
    static void WaitForAbandonedRuns();
    bool Cancelled() const { return m_cancelled; }
    // False when HKLM\SOFTWARE\Quen\Ruvo Care holds "NoCleanup" = "1": the
    // work area then stays after a run.
    static bool DoCleanup();

    using EventCallback = void (*)(void*);
    using MediaRequiredCallback = void (*)(int, bool*);

    // Each register operation returns false when the callback is null or
    // registered already. Callbacks run on the thread that fires the event:
    // the installer's own thread during a run.
    bool RegisterForProgressEvent(EventCallback callback);
    bool RegisterForSetupFailedEvent(EventCallback callback);
    bool RegisterForInstallStatusEvent(EventCallback callback);
    bool RegisterForRecoveryMediaRequiredEvent(MediaRequiredCallback callback);
    bool RegisterForInstallFinishedEvent(EventCallback callback);
    // Bytes done and bytes total inside the copy or extraction going on, so
    // that a host can show movement during a long one.
    bool RegisterForDetailProgressEvent(EventCallback callback);
    bool RegisterForModuleOutcomeEvent(EventCallback callback);
    void UnregisterProgressEvent(EventCallback callback);
    void UnregisterSetupFailedEvent(EventCallback callback);
    void UnregisterInstallStatusEvent(EventCallback callback);
    void UnregisterRecoveryMediaRequiredEvent(MediaRequiredCallback callback);
    void UnregisterInstallFinishedEvent(EventCallback callback);
    void UnregisterDetailProgressEvent(EventCallback callback);
    void UnregisterModuleOutcomeEvent(EventCallback callback);

private:
    friend class CCopyAppsAndDrivers;
    friend struct quen::detail::RunSteps;

    // What the run's module installers ask of it.
    std::wstring SourceDir() const override { return m_sourceDir; }
    std::wstring DestDir() const override { return m_destDir; }
    std::wstring InstallsDir() const override { return m_installsDir; }
    std::wstring TempDir() const override { return m_tempDir; }
    std::wstring WIMDir() const override { return m_wimDir; }
    std::wstring MountDir() const override { return m_mountDir; }
    std::wstring ExtractDir() const override { return m_extractDir; }
    uint32_t GetSetupDelay() const { return m_setupDelay; }
    uint32_t SetupTimeout() const override { return m_setupTimeout; }
    const std::atomic<bool>* SetupStop() const override { return &m_stopSetup; }
    bool HardDiskSource() const override { return m_hardDiskSource; }
    void ReportInstalling(const std::wstring& label) override;
    void ReportSetupFailed(const std::wstring& label, int32_t code) override;
    void ReportDetailProgress(const std::wstring& item, uint64_t done, uint64_t total) override;
    void ReportModuleOutcome(const ModuleOutcomeEventData& outcome) override;

    bool IsStaged(int disc, const std::wstring& fullFolder) const override;
    void MarkStaged(int disc, const std::wstring& fullFolder) override;

    // The installed-path set: what this run staged into the installs folder,
    // as exact, case-sensitive keys (StagedPathKey). ValidateDirectories,
    // which empties the work area, empties it too.
    bool IsPathInstalled(const std::wstring& path) const;
    void SetPathInstalled(const std::wstring& path);
    // The key of a folder staged from `disc`: "<disc>|<full path in upper
    // case, with a trailing backslash>".
    static std::wstring StagedPathKey(int disc, const std::wstring& fullFolder);
    // True when this run staged `fullFolder`, a folder inside it or a folder
    // that holds it: emptying it would take what was staged there.
    bool TouchesStagedPath(const std::wstring& fullFolder) const override;

    // Prepares the work area: each folder created or emptied, then hidden,
    // and the installed-path set emptied. Throws ELibraryException when a
    // hard-disk source does not exist.
    void ValidateDirectories();

    // The run's thread. Its user data is the installer.
    static uint32_t InstallerThread(CBgThreadData* data);
    // The run from the thread's first line to InstallFinished and the
    // machine given back; a failure is reported as the end of the run.
    void RunInstallation(quen::detail::MachineHold& machine, quen::detail::AutoplayHold& autoplay);
    // After the staging copy: every module installed in list order unless
    // the run is cancelled, then Progress 100 % and InstallFinished.
    void InstallAll();
    // The end of every run: the work area removed (unless the registry says
    // to keep it) and the module installers deleted.
    void FinishRun();
    void DeleteInstallers();
    // Leaves the caller's frames once a callback has destroyed the
    // installer; `run` is a copy taken before the callbacks ran.
    static void ThrowIfAbandoned(const std::shared_ptr<quen::detail::RunState>& run);

    // "1, 3" for the list 1, 3.
    static std::wstring GetDiscList(const std::vector<int>& discs);

    // Where the recovery-media description lies: beside the database, else
    // in the folder above it.
    std::wstring DescriptionPath() const;
    // The copy list of these module installers by `description`: the FI
    // package's entry (when there are applications or drivers), the modules,
    // and on discs one entry per further disc of a split module, sorted by
    // disc. False when the FI is on no disc.
    bool ListCopies(const CQuenHDRecoveryIni& description, const std::wstring& mediaType,
                    const std::vector<CModuleInstaller*>& apps, const std::vector<CModuleInstaller*>& modules,
                    CCopyList& list);
    // The bytes the staging copy copies for `entry` from the source folder
    // `sourceRoot`; what is missing there counts 0.
    uint64_t StagingBytes(IModuleToCopy& entry, const std::wstring& sourceRoot) const;
    // Empty when `needed` bytes fit in the free space of the work area's
    // volume (or when the system cannot tell); else the text naming both.
    std::wstring StagingSpaceShortfall(uint64_t needed) const;
    // Before the first copy from a source (the folder, or the disc now in
    // the drive): throws EFileException when the entries from `first` on
    // that come from it do not fit.
    void CheckStagingSpace(const CCopyList& list, std::size_t first);

    // The events. Each logs an Info line and calls the callbacks in turn.
    void FireProgressEvent();
    // A null text counts as empty. The payload carries a copy of the
    // exception's message, source, line, full text and code (empty without one).
    void FireSetupFailedEvent(const std::wstring* text, int32_t returnCode, const EBaseException* exception);
    void FireInstallStatusEvent(EInstallAction action, const std::wstring& text);
    void FireInstallFinishedEvent(EInstallStatus status, const EBaseException* exception);
    // Not logged: a long copy fires it many times.
    void FireDetailProgressEvent(const std::wstring& item, uint64_t done, uint64_t total);
    // Adds one chunk to the progress value; fires nothing.
    void AddOneChunk();

    std::atomic<bool> m_cancelled{false};
    // Set by CancelNow: the setup program that runs is ended.
    std::atomic<bool> m_stopSetup{false};
    std::atomic<uint32_t> m_setupTimeout{0};
    CMulticastEvent m_progressEvent;
    CMulticastEvent m_setupFailedEvent;
    CMulticastEvent m_installStatusEvent;
    CMulticastEventT2<int, bool*> m_mediaRequiredEvent;
    CMulticastEvent m_installFinishedEvent;
    CMulticastEvent m_detailProgressEvent;
    CMulticastEvent m_moduleOutcomeEvent;
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
    std::shared_ptr<quen::detail::RunState> m_run;
    CBackgroundOperation m_backgroundOperation;
};

// What the SetupFailed callbacks receive.
struct SetupFailedEventData {
    std::wstring text;           // the failing module's label
    int32_t returnCode = 0;      // the program's exit code; 1001: it could not run, 1460: it timed out,
                                 // 1223: CancelNow ended it
    EBaseException exception{L"", L"", 0};
};

// What the InstallStatus callbacks receive.
struct InstallStatusEventData {
    CInstaller::EInstallAction action = CInstaller::eActionStarted;
    std::wstring text;
};

// What the InstallFinished callbacks receive; for a failed run the exception
// that ended it.
struct InstallFinishedEventData {
    CInstaller::EInstallStatus status = CInstaller::eStatusCompleted;
    EBaseException exception{L"", L"", 0};
};

// What the DetailProgress callbacks receive: the file being copied or the
// package being unpacked, and the bytes of that step done so far and in all.
struct DetailProgressEventData {
    std::wstring item;
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
};

// What the ModuleOutcome callbacks receive.
struct ModuleOutcomeEventData {
    std::wstring label;  // the module's label
    CInstaller::EModuleOutcome outcome = CInstaller::eModuleInstalled;
    int32_t code = 0;    // for eModuleSetupFailed, eModuleVersionCheckFailed and eModuleSetupTimedOut
    std::wstring expectedReleaseId;  // for eModuleReleaseIdMismatch: the record's
    std::wstring foundReleaseId;     // and the package's (empty when it has none)
};
