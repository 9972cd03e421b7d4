// What a run holds of the machine, given back on every way out of the run:
// the machine kept awake and on, and autoplay kept off on the optical drives
// of a disc run.
#pragma once

#include <quen/Plugins.h>

#include <memory>
#include <string>
#include <vector>

namespace quen::detail {

class MachineHold {
public:
    MachineHold() = default;
    ~MachineHold() { Release(); }
    MachineHold(const MachineHold&) = delete;
    MachineHold& operator=(const MachineHold&) = delete;

    // Screen saver, standby, hibernation and shutdown off; `reason` is shown
    // to whoever tries to shut down.
    void Engage(const std::wstring& reason);
    // Gives each back; nothing when nothing is held.
    void Release();

private:
    bool m_held = false;
};

class AutoplayHold {
public:
    AutoplayHold() = default;
    ~AutoplayHold();
    AutoplayHold(const AutoplayHold&) = delete;
    AutoplayHold& operator=(const AutoplayHold&) = delete;

    // Autoplay off on every drive the "MediaBurner" plug-in lists. A drive
    // that refuses ends the suppression with an Error line; the run goes on.
    void Suppress();
    // Autoplay back on every listed drive, once any was suppressed.
    void Restore();

private:
    std::shared_ptr<IMediaBurner> m_burner;
    std::vector<std::wstring> m_drives;
    bool m_suppressed = false;
};

}  // namespace quen::detail
