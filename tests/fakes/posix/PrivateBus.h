// Keeps every test program off the machine's own D-Bus: from its start the
// library's system and session bus connections go to a socket that does not
// exist, so no test takes a real logind lock or a desktop inhibitor. A test
// that needs the services there starts a PrivateBus: a dbus-daemon of its
// own serving small stand-ins for logind's inhibitor locks, the desktop
// session manager's inhibitors and udisks, with what they were asked for.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quen::test {

class PrivateBus {
public:
    // Starts the daemon and the services and points the library at them;
    // Started() tells whether that worked.
    PrivateBus();
    // Points the library at no bus again and stops the daemon.
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool Started() const;

    // The logind locks ("idle", "sleep", "shutdown") whose descriptor some
    // holder still keeps open, in the order they were granted.
    std::vector<std::string> LocksStanding() const;
    // The flags of each session manager inhibitor not given back.
    std::vector<uint32_t> InhibitorsStanding() const;
    // What udisks was asked, in order, by object below /org/freedesktop/UDisks2/:
    // "Unmount block_devices/sr0", then "Eject drives/disc_sr0" (the drive
    // that block device names).
    std::vector<std::string> UdisksCalls() const;

private:
    struct Services;
    std::unique_ptr<Services> m_services;
};

}  // namespace quen::test
