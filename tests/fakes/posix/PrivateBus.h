// Keeps every test program off the machine's own D-Bus: from its start the
// library's system and session bus connections go to a socket that does not
// exist, so no test takes a real logind lock or a desktop inhibitor. A test
// that needs the services there starts a PrivateBus: a dbus-daemon of its
// own serving small stand-ins for logind's inhibitor locks and the desktop
// session manager's inhibitors, with what they were asked for.
#pragma once

#include <cstddef>
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

    // The logind locks granted, in order ("idle", "sleep", "shutdown"), and
    // those whose descriptor some holder still keeps open.
    std::vector<std::string> LocksGranted() const;
    std::vector<std::string> LocksStanding() const;

    // The session manager's inhibitors: the flags of each granted, and the
    // cookies of those not given back.
    std::vector<uint32_t> InhibitorFlags() const;
    std::size_t InhibitorsStanding() const;

private:
    struct Services;
    std::unique_ptr<Services> m_services;
};

}  // namespace quen::test
