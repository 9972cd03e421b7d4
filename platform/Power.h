// Keeping the machine awake and refusing shutdown while a run goes on. What
// these hold is released by the system when the process ends, so a crash
// leaves no setting changed.
//
// POSIX: systemd-logind inhibitor locks. Windows: one helper thread holds
// them all, the screen saver by ES_DISPLAY_REQUIRED, standby and hibernation
// by ES_SYSTEM_REQUIRED (SetThreadExecutionState), shutdown by a hidden
// window's ShutdownBlockReasonCreate and its refusal of WM_QUERYENDSESSION.
// Wine has no shutdown block: that hold is refused there.
#pragma once

#include <string>

namespace quen::platform {

enum class AwakeHold { ScreenSaver, Standby, Hibernation, Shutdown };

// Takes (`hold` true) or releases one hold; `reason` is shown to whoever
// tries to sleep or shut down. False when the system refuses or has no such
// service (a Warning line says why).
bool SetAwakeHold(AwakeHold what, bool hold, const std::wstring& reason);

}  // namespace quen::platform
