#include "fakes/RunHost.h"

#include "foundation/WideString.h"

namespace quen::test {

RunHost* RunHost::s_current = nullptr;

RunHost::RunHost(CInstaller& installer) : m_installer(&installer)
{
    s_current = this;
    installer.RegisterForProgressEvent(OnProgress);
    installer.RegisterForInstallStatusEvent(OnStatus);
    installer.RegisterForSetupFailedEvent(OnSetupFailed);
    installer.RegisterForInstallFinishedEvent(OnFinished);
    installer.RegisterForRecoveryMediaRequiredEvent(OnMedia);
    installer.RegisterForModuleOutcomeEvent(OnOutcome);
    installer.RegisterForDetailProgressEvent(OnDetail);
}

RunHost::~RunHost() { s_current = nullptr; }

std::vector<std::wstring> RunHost::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::wstring> RunHost::Events(const std::wstring& kind) const
{
    std::vector<std::wstring> chosen;
    for (const std::wstring& line : Events()) {
        if (line.rfind(kind, 0) == 0)
            chosen.push_back(line);
    }
    return chosen;
}

std::vector<std::wstring> RunHost::Outcomes() const
{
    std::lock_guard lock(m_mutex);
    return m_outcomes;
}

std::vector<RunHost::Detail> RunHost::Details() const
{
    std::lock_guard lock(m_mutex);
    return m_details;
}

void RunHost::Record(const std::wstring& line)
{
    RunHost* host = s_current;
    {
        std::lock_guard lock(host->m_mutex);
        host->m_events.push_back(line);
    }
    if (host->onEvent)
        host->onEvent(line);
}

void RunHost::OnProgress(void* data) { Record(Format(L"progress %g", *static_cast<double*>(data))); }

void RunHost::OnStatus(void* data)
{
    const auto* status = static_cast<const InstallStatusEventData*>(data);
    Record(Format(L"status %d %s", static_cast<int32_t>(status->action), status->text));
}

void RunHost::OnSetupFailed(void* data)
{
    const auto* failure = static_cast<const SetupFailedEventData*>(data);
    Record(Format(L"failed %s %d", failure->text, failure->returnCode));
}

void RunHost::OnFinished(void* data)
{
    const auto* finished = static_cast<const InstallFinishedEventData*>(data);
    Record(Format(L"finished %d %s", static_cast<int32_t>(finished->status), finished->exception.Message()));
}

void RunHost::OnMedia(int index, bool* answer)
{
    Record(Format(L"media %d", index));
    RunHost* host = s_current;
    *answer = host->mediaAnswer ? host->mediaAnswer(index) : false;
}


void RunHost::OnOutcome(void* data)
{
    const auto* outcome = static_cast<const ModuleOutcomeEventData*>(data);
    std::wstring line = Format(L"outcome %s %d", outcome->label, static_cast<int32_t>(outcome->outcome));
    if (outcome->outcome == CInstaller::eModuleReleaseIdMismatch)
        line += L" " + outcome->expectedReleaseId + L" " + outcome->foundReleaseId;
    else if (outcome->code != 0)
        line += Format(L" %d", outcome->code);
    std::lock_guard lock(s_current->m_mutex);
    s_current->m_outcomes.push_back(line);
}

void RunHost::OnDetail(void* data)
{
    const auto* detail = static_cast<const DetailProgressEventData*>(data);
    const Detail recorded{detail->item, detail->bytesDone, detail->bytesTotal};
    RunHost* host = s_current;
    {
        std::lock_guard lock(host->m_mutex);
        host->m_details.push_back(recorded);
    }
    if (host->onDetail)
        host->onDetail(recorded);
}

}  // namespace quen::test
