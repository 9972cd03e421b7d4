#include "fakes/RunHost.h"

#include "foundation/WideString.h"

#include <algorithm>
#include <iterator>

namespace quen::test {

RunHost::RunHost(CInstaller& installer)
{
    s_current = this;
    installer.RegisterForProgressEvent([](void* data) { Record(Format(L"progress %g", *static_cast<double*>(data))); });
    installer.RegisterForInstallStatusEvent([](void* data) {
        const auto* status = static_cast<const InstallStatusEventData*>(data);
        Record(Format(L"status %d %s", static_cast<int32_t>(status->action), status->text));
    });
    installer.RegisterForSetupFailedEvent([](void* data) {
        const auto* failure = static_cast<const SetupFailedEventData*>(data);
        Record(Format(L"failed %s %d", failure->text, failure->returnCode));
    });
    installer.RegisterForInstallFinishedEvent([](void* data) {
        const auto* finished = static_cast<const InstallFinishedEventData*>(data);
        Record(Format(L"finished %d %s", static_cast<int32_t>(finished->status), finished->exception.Message()));
    });
    installer.RegisterForRecoveryMediaRequiredEvent([](int index, bool* answer) {
        Record(Format(L"media %d", index));
        *answer = s_current->mediaAnswer && s_current->mediaAnswer(index);
    });
    installer.RegisterForModuleOutcomeEvent([](void* data) {
        const auto* outcome = static_cast<const ModuleOutcomeEventData*>(data);
        std::wstring line = Format(L"outcome %s %d", outcome->label, static_cast<int32_t>(outcome->outcome));
        if (outcome->outcome == CInstaller::eModuleReleaseIdMismatch)
            line += L" " + outcome->expectedReleaseId + L" " + outcome->foundReleaseId;
        else if (outcome->code != 0)
            line += Format(L" %d", outcome->code);
        std::lock_guard lock(s_current->m_mutex);
        s_current->m_outcomes.push_back(line);
    });
    installer.RegisterForDetailProgressEvent([](void* data) {
        const auto* detail = static_cast<const DetailProgressEventData*>(data);
        const Detail recorded{detail->item, detail->bytesDone, detail->bytesTotal};
        std::unique_lock lock(s_current->m_mutex);
        s_current->m_details.push_back(recorded);
        lock.unlock();
        if (s_current->onDetail)
            s_current->onDetail(recorded);
    });
}

std::vector<std::wstring> RunHost::Events(const std::wstring& kind) const
{
    std::vector<std::wstring> chosen;
    std::ranges::copy_if(Events(), std::back_inserter(chosen), [&](const auto& e) { return e.starts_with(kind); });
    return chosen;
}

void RunHost::Record(const std::wstring& line)
{
    std::unique_lock lock(s_current->m_mutex);
    s_current->m_events.push_back(line);
    lock.unlock();
    if (s_current->onEvent)
        s_current->onEvent(line);
}

}  // namespace quen::test
