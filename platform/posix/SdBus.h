// Owners for sd-bus objects, shared by the implementation files that talk to
// system services over D-Bus, and the one place those files open a bus.
#pragma once

#include "foundation/WideString.h"

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <systemd/sd-bus.h>

namespace quen::platform::posix {

inline constexpr uint64_t kBusCallTimeoutUsec = 5'000'000;

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Bus = std::unique_ptr<sd_bus, BusUnref>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&m_error); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* operator&() { return &m_error; }
    const char* Name() const { return m_error.name; }
    const char* Message() const { return m_error.message; }
    bool Is(const char* name) const { return sd_bus_error_has_name(&m_error, name) != 0; }

private:
    sd_bus_error m_error = SD_BUS_ERROR_NULL;
};

enum class BusKind { System, Session };

// Connects to the system bus or to the session's; where an address was set
// for the kind, to the bus at that address instead. Returns what sd-bus
// returns: negative errno values for failures.
int OpenBus(BusKind kind, Bus& bus);

// Makes OpenBus connect to `address` (a D-Bus address, "unix:path=...") for
// `kind`; empty: the system's own bus again.
void SetBusAddress(BusKind kind, const std::string& address);

inline std::wstring ErrnoText(int error) { return FromUtf8Lossy(std::generic_category().message(error)); }

// What went wrong with a call: the service's message, else the errno text.
inline std::wstring CallFailure(const BusError& error, int result)
{
    return error.Message() ? FromUtf8Lossy(error.Message()) : ErrnoText(-result);
}

}  // namespace quen::platform::posix
