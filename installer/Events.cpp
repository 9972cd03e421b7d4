// CInstaller: the host's callbacks, and the events that reach them.
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "installer/RunState.h"

namespace {

// What a payload carries of an exception: its fields with the full text
// composed, so that a host reads the file sentence of a file exception too.
EBaseException PayloadException(const EBaseException* exception)
{
    if (!exception)
        return EBaseException(L"", L"", 0);
    exception->GetText();
    return EBaseException(*exception);
}

}  // namespace

bool CInstaller::RegisterForProgressEvent(EventCallback callback) { return m_progressEvent.Register(callback); }

bool CInstaller::RegisterForSetupFailedEvent(EventCallback callback) { return m_setupFailedEvent.Register(callback); }

bool CInstaller::RegisterForInstallStatusEvent(EventCallback callback)
{
    return m_installStatusEvent.Register(callback);
}

bool CInstaller::RegisterForRecoveryMediaRequiredEvent(MediaRequiredCallback callback)
{
    return m_mediaRequiredEvent.Register(callback);
}

bool CInstaller::RegisterForInstallFinishedEvent(EventCallback callback)
{
    return m_installFinishedEvent.Register(callback);
}

bool CInstaller::RegisterForDetailProgressEvent(EventCallback callback)
{
    return m_detailProgressEvent.Register(callback);
}

bool CInstaller::RegisterForModuleOutcomeEvent(EventCallback callback)
{
    return m_moduleOutcomeEvent.Register(callback);
}

void CInstaller::UnregisterProgressEvent(EventCallback callback) { m_progressEvent.Unregister(callback); }

void CInstaller::UnregisterSetupFailedEvent(EventCallback callback) { m_setupFailedEvent.Unregister(callback); }

void CInstaller::UnregisterInstallStatusEvent(EventCallback callback) { m_installStatusEvent.Unregister(callback); }

void CInstaller::UnregisterRecoveryMediaRequiredEvent(MediaRequiredCallback callback)
{
    m_mediaRequiredEvent.Unregister(callback);
}

void CInstaller::UnregisterInstallFinishedEvent(EventCallback callback) { m_installFinishedEvent.Unregister(callback); }

void CInstaller::UnregisterDetailProgressEvent(EventCallback callback) { m_detailProgressEvent.Unregister(callback); }

void CInstaller::UnregisterModuleOutcomeEvent(EventCallback callback) { m_moduleOutcomeEvent.Unregister(callback); }

void CInstaller::FireProgressEvent()
{
    quen::Log(eLogInfo) << L"Firing Progress event: " << m_progress << L" %";
    double progress = m_progress;
    const auto run = m_run;
    m_progressEvent.FireEvent(&progress);
    ThrowIfAbandoned(run);
}

void CInstaller::AddOneChunk() { m_progress += m_progressChunk; }

void CInstaller::FireSetupFailedEvent(const std::wstring* text, int32_t returnCode, const EBaseException* exception)
{
    const std::wstring label = text ? *text : std::wstring();
    quen::Log(eLogInfo) << L"Firing SetupFailed event: " << label << L"  Return code: " << returnCode;
    SetupFailedEventData data{label, returnCode, PayloadException(exception)};
    const auto run = m_run;
    m_setupFailedEvent.FireEvent(&data);
    ThrowIfAbandoned(run);
}

void CInstaller::FireInstallStatusEvent(EInstallAction action, const std::wstring& text)
{
    quen::Log(eLogInfo) << L"Firing InstallStatus event: " << text << L"  Install Action: "
                        << static_cast<int32_t>(action);
    InstallStatusEventData data{action, text};
    const auto run = m_run;
    m_installStatusEvent.FireEvent(&data);
    ThrowIfAbandoned(run);
}

void CInstaller::FireInstallFinishedEvent(EInstallStatus status, const EBaseException* exception)
{
    quen::Log(eLogInfo) << L"Firing InstallFinished event: " << static_cast<int32_t>(status);
    InstallFinishedEventData data{status, PayloadException(exception)};
    const auto run = m_run;
    if (run)
        run->finished = true;
    m_installFinishedEvent.FireEvent(&data);
    ThrowIfAbandoned(run);
}

void CInstaller::FireDetailProgressEvent(const std::wstring& item, uint64_t done, uint64_t total)
{
    DetailProgressEventData data{item, done, total};
    const auto run = m_run;
    m_detailProgressEvent.FireEvent(&data);
    ThrowIfAbandoned(run);
}

void CInstaller::ReportModuleOutcome(const ModuleOutcomeEventData& outcome)
{
    quen::Log(eLogInfo) << L"Firing ModuleOutcome event: " << outcome.label << L"  Outcome: "
                        << static_cast<int32_t>(outcome.outcome) << L"  Code: " << outcome.code;
    ModuleOutcomeEventData data = outcome;
    const auto run = m_run;
    m_moduleOutcomeEvent.FireEvent(&data);
    ThrowIfAbandoned(run);
}

void CInstaller::ThrowIfAbandoned(const std::shared_ptr<quen::detail::RunState>& run)
{
    if (run && run->abandoned)
        throw quen::detail::RunAbandoned();
}

void CInstaller::ReportInstalling(const std::wstring& label) { FireInstallStatusEvent(eActionInstalling, label); }

void CInstaller::ReportSetupFailed(const std::wstring& label, int32_t code)
{
    FireSetupFailedEvent(&label, code, nullptr);
}

void CInstaller::ReportDetailProgress(const std::wstring& item, uint64_t done, uint64_t total)
{
    FireDetailProgressEvent(item, done, total);
}
