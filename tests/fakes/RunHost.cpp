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

}  // namespace quen::test
