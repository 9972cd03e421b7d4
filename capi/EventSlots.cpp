#include "capi/EventSlots.h"

#include "capi/Call.h"

#include <quen/quen.h>

#include <array>
#include <mutex>
#include <string>
#include <utility>

namespace quen::capi {

namespace {

struct Handler {
    void (*callback)() = nullptr;
    void* context = nullptr;
};

struct Slot {
    std::mutex mutex;
    bool used = false;
    std::array<Handler, static_cast<std::size_t>(Event::Count)> handlers{};
};

std::array<Slot, kEventSlots> g_slots;

// Read under the slot's lock, called outside it: a callback may set
// callbacks or destroy its installer.
Handler Current(std::size_t slot, Event event)
{
    std::lock_guard lock(g_slots[slot].mutex);
    return g_slots[slot].handlers[static_cast<std::size_t>(event)];
}

template <typename Callback, typename Payload>
void Deliver(std::size_t slot, Event event, Payload& payload)
{
    const Handler handler = Current(slot, event);
    if (handler.callback)
        reinterpret_cast<Callback>(handler.callback)(handler.context, &payload);
}

// Keeps the exception's full text alive while the payload points into it.
struct ExceptionView {
    explicit ExceptionView(const EBaseException& e)
        : text(e.GetText()),
          fields{sizeof(quen_exception), text.c_str(), e.Message().c_str(), e.SourceFile().c_str(), e.Line(),
                 e.ErrorCode()}
    {
    }
    std::wstring text;
    quen_exception fields;
};

void Fire(std::size_t slot, Event event, void* data)
{
    switch (event) {
    case Event::Progress: {
        quen_progress_event payload{sizeof payload, *static_cast<const double*>(data)};
        Deliver<quen_progress_callback>(slot, event, payload);
        break;
    }
    case Event::Status: {
        const auto& status = *static_cast<const InstallStatusEventData*>(data);
        quen_status_event payload{sizeof payload, status.action, status.text.c_str()};
        Deliver<quen_status_callback>(slot, event, payload);
        break;
    }
    case Event::SetupFailed: {
        const auto& failed = *static_cast<const SetupFailedEventData*>(data);
        const ExceptionView exception(failed.exception);
        quen_setup_failed_event payload{sizeof payload, failed.text.c_str(), failed.returnCode, &exception.fields};
        Deliver<quen_setup_failed_callback>(slot, event, payload);
        break;
    }
    case Event::Finished: {
        const auto& finished = *static_cast<const InstallFinishedEventData*>(data);
        const ExceptionView exception(finished.exception);
        quen_finished_event payload{sizeof payload, finished.status, &exception.fields};
        Deliver<quen_finished_callback>(slot, event, payload);
        break;
    }
    case Event::DetailProgress: {
        const auto& detail = *static_cast<const DetailProgressEventData*>(data);
        quen_detail_progress_event payload{sizeof payload, detail.item.c_str(), detail.bytesDone, detail.bytesTotal};
        Deliver<quen_detail_progress_callback>(slot, event, payload);
        break;
    }
    case Event::ModuleOutcome: {
        const auto& outcome = *static_cast<const ModuleOutcomeEventData*>(data);
        quen_module_outcome_event payload{sizeof payload,
                                          outcome.label.c_str(),
                                          outcome.outcome,
                                          outcome.code,
                                          outcome.expectedReleaseId.c_str(),
                                          outcome.foundReleaseId.c_str()};
        Deliver<quen_module_outcome_callback>(slot, event, payload);
        break;
    }
    case Event::DiscRequest:
    case Event::Count:
        break;
    }
}

template <std::size_t I>
struct SlotFunctions {
    template <Event E>
    static void On(void* data)
    {
        Fire(I, E, data);
    }
    static void OnDiscRequest(int index, bool* answer)
    {
        quen_disc_request_event payload{sizeof payload, index + 1, *answer ? 1 : 0};
        Deliver<quen_disc_request_callback>(I, Event::DiscRequest, payload);
        *answer = payload.disc_in != 0;
    }
    static void Register(CInstaller& installer)
    {
        installer.RegisterForProgressEvent(On<Event::Progress>);
        installer.RegisterForInstallStatusEvent(On<Event::Status>);
        installer.RegisterForSetupFailedEvent(On<Event::SetupFailed>);
        installer.RegisterForRecoveryMediaRequiredEvent(OnDiscRequest);
        installer.RegisterForInstallFinishedEvent(On<Event::Finished>);
        installer.RegisterForDetailProgressEvent(On<Event::DetailProgress>);
        installer.RegisterForModuleOutcomeEvent(On<Event::ModuleOutcome>);
    }
};

template <std::size_t... I>
constexpr std::array<void (*)(CInstaller&), sizeof...(I)> Registrations(std::index_sequence<I...>)
{
    return {&SlotFunctions<I>::Register...};
}

constexpr auto kRegistrations = Registrations(std::make_index_sequence<kEventSlots>());

}  // namespace

std::size_t TakeSlot()
{
    for (std::size_t slot = 0; slot < kEventSlots; ++slot) {
        std::lock_guard lock(g_slots[slot].mutex);
        if (!g_slots[slot].used) {
            g_slots[slot].used = true;
            return slot;
        }
    }
    throw Refused("too many installers at once (at most " + std::to_string(kEventSlots) + ")");
}

void FreeSlot(std::size_t slot)
{
    std::lock_guard lock(g_slots[slot].mutex);
    g_slots[slot].handlers = {};
    g_slots[slot].used = false;
}

void RegisterSlot(std::size_t slot, CInstaller& installer) { kRegistrations[slot](installer); }

void SetCallback(std::size_t slot, Event event, void (*callback)(), void* context)
{
    std::lock_guard lock(g_slots[slot].mutex);
    g_slots[slot].handlers[static_cast<std::size_t>(event)] = {callback, callback ? context : nullptr};
}

}  // namespace quen::capi
