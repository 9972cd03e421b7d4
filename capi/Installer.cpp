// quen_installer: creation, configuration, callbacks and the run.
#include "capi/Installer.h"

#include "capi/Call.h"
#include "capi/EventSlots.h"

#include <memory>

namespace {

using namespace quen::capi;

template <typename Callback>
quen_status SetHandler(quen_installer* installer, Event event, Callback callback, void* context)
{
    return Call([&] {
        SetCallback(Required(installer, "installer").slot, event, reinterpret_cast<void (*)()>(callback), context);
    });
}

}  // namespace

QUEN_C_API quen_status quen_installer_create(quen_database* database, const wchar_t* shutdown_reason,
                                             quen_installer** installer)
{
    return Call([&] {
        Required(installer, "installer") = nullptr;
        quen_database& db = Required(database, "database");
        const std::size_t slot = TakeSlot();
        try {
            const std::wstring reason = Text(shutdown_reason);
            auto created = std::make_unique<quen_installer>(db, shutdown_reason ? &reason : nullptr, slot);
            RegisterSlot(slot, created->installer);
            *installer = created.release();
        } catch (...) {
            FreeSlot(slot);
            throw;
        }
    });
}

QUEN_C_API quen_status quen_installer_destroy(quen_installer* installer)
{
    return Call([&] {
        const std::size_t slot = Required(installer, "installer").slot;
        // The run ends (or, from its own callback, is abandoned) before the
        // slot can serve another installer.
        delete installer;
        FreeSlot(slot);
    });
}

QUEN_C_API quen_status quen_installer_set_flags(quen_installer* installer, int32_t hard_disk_source,
                                                int32_t second_flag)
{
    return Call([&] { Required(installer, "installer").installer.SetFlags(hard_disk_source != 0, second_flag != 0); });
}

QUEN_C_API quen_status quen_installer_set_paths(quen_installer* installer, const wchar_t* source,
                                                const wchar_t* destination, const wchar_t* third,
                                                const wchar_t* mount)
{
    return Call([&] {
        const std::wstring texts[] = {Text(source), Text(destination), Text(third), Text(mount)};
        Required(installer, "installer").installer.SetPaths(&texts[0], &texts[1], &texts[2], &texts[3]);
    });
}

QUEN_C_API quen_status quen_installer_set_progress_callback(quen_installer* installer,
                                                            quen_progress_callback callback, void* context)
{
    return SetHandler(installer, Event::Progress, callback, context);
}

QUEN_C_API quen_status quen_installer_set_status_callback(quen_installer* installer, quen_status_callback callback,
                                                          void* context)
{
    return SetHandler(installer, Event::Status, callback, context);
}

QUEN_C_API quen_status quen_installer_set_setup_failed_callback(quen_installer* installer,
                                                                quen_setup_failed_callback callback, void* context)
{
    return SetHandler(installer, Event::SetupFailed, callback, context);
}

QUEN_C_API quen_status quen_installer_set_disc_request_callback(quen_installer* installer,
                                                                quen_disc_request_callback callback, void* context)
{
    return SetHandler(installer, Event::DiscRequest, callback, context);
}

QUEN_C_API quen_status quen_installer_set_finished_callback(quen_installer* installer,
                                                            quen_finished_callback callback, void* context)
{
    return SetHandler(installer, Event::Finished, callback, context);
}

QUEN_C_API quen_status quen_installer_set_detail_progress_callback(quen_installer* installer,
                                                                   quen_detail_progress_callback callback,
                                                                   void* context)
{
    return SetHandler(installer, Event::DetailProgress, callback, context);
}

QUEN_C_API quen_status quen_installer_set_module_outcome_callback(quen_installer* installer,
                                                                  quen_module_outcome_callback callback,
                                                                  void* context)
{
    return SetHandler(installer, Event::ModuleOutcome, callback, context);
}

QUEN_C_API quen_status quen_installer_install(quen_installer* installer, const wchar_t* media_type)
{
    return Call([&] {
        quen_installer& self = Required(installer, "installer");
        const std::wstring media = Text(media_type);
        if (!self.installer.Install(&media, self.database.db.Applications(), self.database.db.Modules()))
            throw Refused("the installation's thread did not start");
    });
}

QUEN_C_API quen_status quen_installer_cancel(quen_installer* installer)
{
    return Call([&] { Required(installer, "installer").installer.Cancel(); });
}

QUEN_C_API quen_status quen_installer_cancel_now(quen_installer* installer)
{
    return Call([&] { Required(installer, "installer").installer.CancelNow(); });
}

QUEN_C_API quen_status quen_installer_set_setup_timeout(quen_installer* installer, uint32_t seconds)
{
    return Call([&] { Required(installer, "installer").installer.SetSetupTimeout(seconds); });
}

QUEN_C_API quen_status quen_installer_wait(quen_installer* installer)
{
    return Call([&] { Required(installer, "installer").installer.Wait(); });
}

QUEN_C_API quen_status quen_installer_is_running(quen_installer* installer, int32_t* running)
{
    return Call([&] {
        const bool going = Required(installer, "installer").installer.IsRunning();
        Required(running, "running") = going ? 1 : 0;
    });
}
