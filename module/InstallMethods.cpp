// CModuleInstaller: the three install methods and how a setup program's
// outcome is reported.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "module/InstallRules.h"
#include "platform/ByteProgress.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace {

using quen::platform::EqualsNoCase;

// 0 runs the setup file through the command interpreter, as a batch file
// needs; 1 starts it directly.
uint32_t LaunchFlags(const std::wstring& setupFile)
{
    const std::size_t tail = setupFile.size() < 4 ? setupFile.size() : 4;
    return EqualsNoCase(std::wstring_view(setupFile).substr(setupFile.size() - tail), L".bat") ? 0 : 1;
}

}  // namespace

void CModuleInstaller::RunSetupProgram(const SetupLaunch& launch)
{
    // The label may be missing: the report then carries an empty one rather
    // than ending the run.
    const std::wstring label = (*Module())[IdfFields::CustomerLabel];
    CExecuteCmd::Options options;
    options.logPrefix = L"[" + label + L"] ";
    options.timeoutSeconds = Installer()->SetupTimeout();
    options.stop = Installer()->SetupStop();
    uint32_t exitCode = 0;
    CExecuteCmd::EEnding ending = CExecuteCmd::eExited;
    try {
        ending = launch(options, exitCode);
    } catch (const ELibraryException& e) {
        quen::Log(eLogError) << L"Exception thrown by ExecuteProgram: " << e.Message();
        SetOutcome(CInstaller::eModuleSetupFailed, 1001);
        Installer()->ReportSetupFailed(label, 1001);
        return;
    }
    if (ending == CExecuteCmd::eTimedOut) {
        quen::Log(eLogError) << L"Setup program timed out after " << options.timeoutSeconds
                             << L" seconds; it and the processes it started were ended.";
        SetOutcome(CInstaller::eModuleSetupTimedOut, static_cast<int32_t>(options.timeoutSeconds));
        Installer()->ReportSetupFailed(label, static_cast<int32_t>(quen::platform::err::Timeout));
        return;
    }
    if (ending == CExecuteCmd::eStopped) {
        quen::Log(eLogWarning) << L"Setup program ended by CancelNow.";
        SetOutcome(CInstaller::eModuleSetupFailed, static_cast<int32_t>(quen::platform::err::Cancelled));
        Installer()->ReportSetupFailed(label, static_cast<int32_t>(quen::platform::err::Cancelled));
        return;
    }
    quen::Log(eLogInfo) << L"ExecuteProgram returned: " << exitCode;
    if (exitCode != 0) {
        SetOutcome(CInstaller::eModuleSetupFailed, static_cast<int32_t>(exitCode));
        Installer()->ReportSetupFailed(label, static_cast<int32_t>(exitCode));
    }
}

void CModuleInstaller::InstallFileCopy()
{
    quen::Log(eLogInfo) << L"InstallFileCopy()";
    // From discs, the drive holds the last disc by now: the module's files
    // are read from where the staging copy put them.
    const std::wstring from = Installer()->HardDiskSource() ? SourceDir() : InstallsDir();
    CDirectory source(from, L"*", true, true);
    CDirectory destination(ExpandPath((*Module())[IdfFields::SetupFile]));

    quen::Log(eLogInfo) << L"Performing copy from " << source.GetFullPath() << L" to " << destination.GetFullPath();
    quen::Log(eLogInfo) << L"ReleaseId: " << ReleaseID();
    quen::Log(eLogInfo) << L"ReleaseName: " << ReleaseName();

    destination.CopyDirectoryContentsHere(source, false);
}

void CModuleInstaller::InstallExeOrBatch()
{
    quen::Log(eLogInfo) << L"InstallExeOrBatch()";
    const std::wstring releaseId = ReleaseID();
    // The release ID names the folder that extraction empties.
    quen::CheckMethodPath(*Module(), quen::EInstallMethod::ExeOrBatch);

    const std::wstring installs = InstallsDir();
    const std::wstring package = quen::FindModulePackage(installs);
    quen::Log(eLogDebug) << L"[CModuleInstaller::InstallExeOrBatch()] InstallsDir = " << installs;
    if (package.empty()) {
        quen::Log(eLogError) << L"No module file found.";
        SetOutcome(CInstaller::eModulePackageMissing);
        return;
    }

    std::wstring found;
    if (!CWIMFile::MatchsReleaseID(package.c_str(), releaseId.c_str(), found)) {
        if (found.empty())
            quen::Log(eLogWarning) << L"Unable to read release ID from " << package;
        else
            quen::Log(eLogWarning) << L"WIM File release ID doesn't match. Is " << found << L" should be " << releaseId;
        SetOutcome(CInstaller::eModuleReleaseIdMismatch);
        m_outcome.expectedReleaseId = releaseId;
        m_outcome.foundReleaseId = found;
        return;
    }

    Installer()->ReportInstalling((*Module())[IdfFields::CustomerLabel]);

    // The image is closed when it goes out of scope, whichever way that is.
    CWIMFile image(package.c_str(), WIMDir().c_str(), Installer()->TempDir().c_str());
    const std::wstring target = Installer()->ExtractDir() + releaseId;
    if (!image.IsOpen()) {
        quen::Log(eLogError) << L"Unable to open WIM file.";
        SetOutcome(CInstaller::eModulePackageMissing);
        return;
    }
    {
        // The bytes of the unpack, so that a host shows a long one move.
        const quen::platform::ByteProgressScope watch(
            [this](const std::wstring& item, uint64_t done, uint64_t total) {
                Installer()->ReportDetailProgress(item, done, total);
            });
        image.ExtractImage(target.c_str(), 1);
    }

    const std::wstring arguments = (*Module())[IniFields::CmdLineArgs];
    const std::wstring setupFile = (*Module())[IdfFields::SetupFile];
    const uint32_t flags = LaunchFlags(setupFile);
    RunSetupProgram([&](const CExecuteCmd::Options& options, uint32_t& exitCode) {
        const std::wstring program = CFileSystemObject::PathAddSlash(target) + setupFile;
        quen::Log(eLogInfo) << L" Exe/Batch Install: " << program;
        quen::Log(eLogInfo) << L"              Args: " << arguments;
        return CExecuteCmd::ExecuteProgram(program, arguments, flags, options, exitCode);
    });
}

void CModuleInstaller::InstallAppOrDriver()
{
    quen::Log(eLogInfo) << L"InstallAppOrDriver()";
    const std::wstring extractFolder = ExtractDir();
    const std::wstring setupFile = (*Module())[IdfFields::SetupFile];
    const std::wstring program = CFileSystemObject::PathAddSlash(extractFolder) + setupFile;

    if (quen::InstallMethodOf(*Module()) == quen::EInstallMethod::InfDriver) {
        quen::Log(eLogInfo) << L"Installer type: INF";
        // The label names the driver's folder in the driver store.
        quen::CheckMethodPath(*Module(), quen::EInstallMethod::InfDriver);
        const std::wstring label = (*Module())[IdfFields::CustomerLabel];
        const std::wstring targetPath =
            CFileSystemObject::PathAddSlash(COsServices::GetWindowsDirectoryW()) + L"Drivers\\Inf\\" + label;
        // The package lacks the driver: the store gets its folder, empty,
        // and the run says the driver was not installed.
        if (!CDirectory::Exists(extractFolder)) {
            quen::Log(eLogWarning) << L"Driver folder missing from the unpacked package: " << extractFolder;
            SetOutcome(CInstaller::eModuleNotInstalled);
        }
        CDirectory source(extractFolder, L"*", true, true);
        CDirectory target(targetPath);
        if (!target.Exists())
            target.Create();
        quen::Log(eLogInfo) << L"Copying files to " << targetPath;
        target.CopyDirectoryContentsHere(source, false);
        return;
    }

    const uint32_t flags = LaunchFlags(setupFile);
    RunSetupProgram([&](const CExecuteCmd::Options& options, uint32_t& exitCode) {
        quen::Log(eLogInfo) << L"App/Driver Install: " << program;
        quen::Log(eLogInfo) << L"iFlags: " << flags;
        return CExecuteCmd::ExecuteProgram(program, std::wstring(), flags, options, exitCode);
    });
}
