// CInstaller: starting a run (and the run steps that prepare it), cancelling
// it, and whether its work area is kept afterwards.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

#include "installer/AbandonedRuns.h"
#include "installer/RunState.h"
#include "installer/RunSteps.h"
#include "platform/Errors.h"

namespace {

constexpr wchar_t kSource[] = L".\\Installer";

[[noreturn]] void NotConfigured(const wchar_t* message, int32_t line)
{
    quen::Log(eLogError) << message;
    throw ELibraryException(message, kSource, line);
}

}  // namespace

bool CInstaller::Install(const std::wstring* mediaType, const CDataTableList& applications,
                         const CDataTableList& modules)
{
    const std::wstring media = mediaType ? *mediaType : std::wstring();
    quen::Log(eLogInfo) << L"CInstaller::Install  MediaType: " << media;

    // A run lasts until its thread has ended; a second one would share its
    // work area and its module installers.
    if (m_backgroundOperation.IsRunning())
        throw ELibraryException(L"An installation is already running on this installer.", kSource, __LINE__);
    // A run whose installer its host destroyed still cleans up the work area:
    // wait for it, unless this is its own callback, which it waits for.
    if (quen::detail::AbandonedRuns::OnAbandonedRun())
        throw ELibraryException(L"Install cannot be called from a callback of a run whose installer was destroyed: "
                                L"that run ends only after the callback returns.",
                                kSource, __LINE__);
    quen::detail::AbandonedRuns::WaitForOthers();
    // The lock lies beside the work root, which a run deletes.
    const std::wstring lockPath = m_workRoot.substr(0, m_workRoot.size() - 1) + L".lock";
    CDirectory::Create(CDirectory::GetParentDirectory(lockPath));
    auto run = std::make_shared<quen::detail::RunState>();
    run->workAreaLock = quen::platform::FileLock::TryLock(lockPath);
    if (!run->workAreaLock) {
        const std::wstring why = GetLastErrorText();
        if (quen::platform::LastError() == quen::platform::err::SharingViolation)
            throw ELibraryException(L"Another installation is using the work area " + m_workRoot + L".", kSource,
                                    __LINE__);
        throw ELibraryException(L"Unable to lock the work area with " + lockPath + L": " + why, kSource, __LINE__);
    }

    m_installStatus = eStatusCompleted;
    m_cancelled = false;
    m_stopSetup = false;
    if (!m_flagsSet)
        NotConfigured(L"You must call CInstaller::SetFlags() before calling CInstaller::Install()!", __LINE__);
    if (!m_pathsSet)
        NotConfigured(L"You must call CInstaller::SetPaths() before calling CInstaller::Install()!", __LINE__);

    run->eventThread = std::this_thread::get_id();
    m_run = run;
    try {
        m_progress = 1.0;
        FireProgressEvent();
        FireInstallStatusEvent(eActionStarted, std::wstring());

        quen::detail::RunSteps::Prepare(*this, media);
        for (auto record = applications.BeginC(); record != applications.EndC(); ++record)
            quen::detail::RunSteps::AddModule(*this, *record, true);
        for (auto record = modules.BeginC(); record != modules.EndC(); ++record)
            quen::detail::RunSteps::AddModule(*this, *record, false);

        quen::Log(eLogInfo) << L"Starting background thread.\n";
        // From here on only the run's thread fires; the host's thread, when
        // it destroys the installer, waits for the run.
        run->eventThread = std::thread::id();
        if (m_backgroundOperation.Start(InstallerThread, this))
            return true;
    } catch (const quen::detail::RunAbandoned&) {
        // A callback destroyed the installer: nothing of it may be touched.
        return false;
    } catch (...) {
        DeleteInstallers();
        m_run.reset();
        throw;
    }
    DeleteInstallers();
    m_run.reset();
    return false;
}

bool CInstaller::Cancel()
{
    quen::Log(eLogInfo) << L"Installation Cancelled\n";
    m_cancelled = true;
    m_installStatus = eStatusCancelled;
    m_backgroundOperation.Cancel();
    return true;
}

bool CInstaller::CancelNow()
{
    m_stopSetup = true;
    return Cancel();
}

bool CInstaller::IsRunning() const { return m_backgroundOperation.IsRunning(); }

void CInstaller::Wait() { m_backgroundOperation.Wait(); }

void CInstaller::WaitForAbandonedRuns() { quen::detail::AbandonedRuns::WaitForOthers(); }

bool CInstaller::DoCleanup()
{
    std::wstring keep;
    CRegistry::GetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Quen\\Ruvo Care", L"NoCleanup", keep);
    return keep != L"1";
}

void CInstaller::DeleteInstallers()
{
    for (CModuleInstaller* installer : m_appInstallers)
        delete installer;
    m_appInstallers.clear();
    for (CModuleInstaller* installer : m_moduleInstallers)
        delete installer;
    m_moduleInstallers.clear();
}

void quen::detail::RunSteps::Prepare(CInstaller& installer, const std::wstring& mediaType)
{
    installer.m_mediaType = mediaType;
    const CDataTable& image = installer.m_database.ImageRecord;
    if (image.ContainsField(IdfFields::WaitForSetupDelay))
        installer.m_setupDelay = static_cast<uint32_t>(image.GetFieldAsLong(IdfFields::WaitForSetupDelay));
    installer.ValidateDirectories();
}

CModuleInstaller& quen::detail::RunSteps::AddModule(CInstaller& installer, const CDataTable* record, bool application)
{
    auto& list = application ? installer.m_appInstallers : installer.m_moduleInstallers;
    list.push_back(new CModuleInstaller(record, &installer));
    return *list.back();
}
