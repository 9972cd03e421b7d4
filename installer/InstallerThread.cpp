// CInstaller: the run's own thread, from the machine held awake through the
// staging copy and every module to InstallFinished and the clean-up.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

#include "foundation/WideString.h"
#include "installer/AbandonedRuns.h"
#include "installer/CopyList.h"
#include "installer/RunHolds.h"
#include "installer/RunState.h"
#include "installer/RunSteps.h"

#include <exception>

namespace {

constexpr wchar_t kSource[] = L".\\Installer";

// A file still held for a moment (a scanner looking at what a setup program
// left, say) makes one pass fail where a second finds it free. What stays
// after both is named in the log: a leftover never goes unnoticed.
void RemoveWorkArea(const std::wstring& workRoot)
{
    CDirectory root(workRoot, nullptr, true, true);
    if (root.Delete() || root.Delete())
        return;
    quen::Log(eLogError) << L"Unable to remove the work area " << workRoot << L": " << GetLastErrorText();
}

}  // namespace

uint32_t CInstaller::InstallerThread(CBgThreadData* data)
{
    // Destroyed last: whoever waits for an abandoned run sees it end only
    // once everything else of it is done.
    struct EndOfRun {
        ~EndOfRun() { quen::detail::AbandonedRuns::Ended(); }
    } const endOfRun;
    auto* installer = static_cast<CInstaller*>(data->GetUserData());
    // Copies of what the end of the run needs, should a callback destroy the
    // installer on the way; the work-area lock goes with the last of them.
    const std::shared_ptr<quen::detail::RunState> run = installer->m_run;
    run->eventThread = std::this_thread::get_id();
    const std::wstring workRoot = installer->m_workRoot;
    quen::detail::MachineHold machine;
    quen::detail::AutoplayHold autoplay;
    try {
        installer->RunInstallation(machine, autoplay);
        installer->FinishRun();
        run->workAreaLock.reset();
    } catch (const quen::detail::RunAbandoned&) {
        machine.Release();
        autoplay.Restore();
        quen::Log(eLogWarning) << L"The installer was destroyed during its run; the run ends without it.";
        if (DoCleanup())
            RemoveWorkArea(workRoot);
        run->workAreaLock.reset();
        quen::Log(eLogInfo) << L"Leaving installer thread.";
    } catch (...) {
        // Only a host's callback throws this far (from InstallFinished, say):
        // the run still ends as every run does.
        quen::Log(eLogError) << L"A callback threw at the end of the run.";
        machine.Release();
        autoplay.Restore();
        installer->FinishRun();
        run->workAreaLock.reset();
    }
    return 0;
}

void CInstaller::RunInstallation(quen::detail::MachineHold& machine, quen::detail::AutoplayHold& autoplay)
{
    quen::Log(eLogInfo) << L"Installer thread running\n";
    quen::Log(eLogInfo) << L"Apps/Drivers: " << m_appInstallers.size();
    quen::Log(eLogInfo) << L"     Modules: " << m_moduleInstallers.size();
    quen::Log(eLogInfo) << L"  Media Type: " << m_mediaType;

    // Reports a failure as the run's end, unless the host has had one.
    const auto fail = [&](const EBaseException& failure) {
        quen::Log(eLogError) << failure;
        if (!m_run->finished)
            FireInstallFinishedEvent(eStatusFailed, &failure);
    };
    try {
        machine.Engage(m_shutdownReason);
        if (!m_hardDiskSource)
            autoplay.Suppress();

        // One chunk per staged entry and per installed module, out of 98 %.
        const std::size_t apps = m_appInstallers.size();
        const std::size_t modules = m_moduleInstallers.size();
        const std::size_t steps = apps + 2 * modules + (apps > 0 ? 1 : 0) + 1;
        m_progress = 2.0;
        m_progressChunk = 98.0 / static_cast<double>(steps);
        FireProgressEvent();

        CCopyList copyList;
        const bool listed = quen::detail::RunSteps::CreateCopyList(*this, copyList);
        if (!listed && !m_run->finished) {
            // A host must learn of every end: the look-up of the FI fails
            // without any event.
            const ELibraryException failure(L"Unable to find disc containing FI!", kSource, __LINE__);
            FireInstallFinishedEvent(eStatusFailed, &failure);
        }
        // A disc the host gave up has ended the run already, as cancelled.
        if (listed && !m_run->finished) {
            // A module split over several discs adds entries the plan did
            // not count: the chunks are shared out again, so that the run
            // never shows more than 100 %.
            m_progressChunk = 98.0 / static_cast<double>(copyList.Size() + apps + modules + 1);
            if (quen::detail::RunSteps::CopyFiles(*this, copyList))
                InstallAll();
        }
    } catch (const quen::detail::RunAbandoned&) {
        throw;
    } catch (const EBaseException& e) {
        fail(e);
    } catch (const std::exception& e) {
        fail(ELibraryException(quen::FromUtf8Lossy(e.what()), kSource, __LINE__));
    } catch (...) {
        fail(ELibraryException(L"Unknown exception.", kSource, __LINE__));
    }
    // Whatever ended the run, the machine is given back.
    machine.Release();
    autoplay.Restore();
}

void CInstaller::InstallAll()
{
    FireInstallStatusEvent(eActionCopied, std::wstring());
    for (const auto* list : {&m_appInstallers, &m_moduleInstallers}) {
        if (m_cancelled)
            break;
        quen::Log(eLogInfo) << (list == &m_appInstallers ? L"Installing Apps & Drivers..." : L"Installing Modules...");
        for (CModuleInstaller* installer : *list) {
            if (m_cancelled)
                break;
            installer->PerformInstall();
            AddOneChunk();
            FireProgressEvent();
        }
    }
    m_progress = 100.0;
    FireProgressEvent();
    FireInstallFinishedEvent(static_cast<EInstallStatus>(m_installStatus.load()), nullptr);
}

void CInstaller::FinishRun()
{
    quen::Log(eLogInfo) << L"Performing cleanup on Quen directory...";
    if (DoCleanup())
        RemoveWorkArea(m_workRoot);
    DeleteInstallers();
    quen::Log(eLogInfo) << L"Leaving installer thread.";
}
