// POSIX personality: where the library's D-Bus connections go.
#include "platform/posix/SdBus.h"

#include <mutex>

namespace quen::platform::posix {
namespace {

struct Addresses {
    std::mutex mutex;
    std::string system;
    std::string session;
};

Addresses& BusAddresses()
{
    static Addresses addresses;
    return addresses;
}

int Connect(const std::string& address, Bus& bus)
{
    sd_bus* raw = nullptr;
    int r = sd_bus_new(&raw);
    bus.reset(raw);
    if (r >= 0)
        r = sd_bus_set_address(raw, address.c_str());
    if (r >= 0)
        r = sd_bus_set_bus_client(raw, 1);
    if (r >= 0)
        r = sd_bus_start(raw);
    if (r < 0)
        bus.reset();
    return r;
}

}  // namespace

int OpenBus(BusKind kind, Bus& bus)
{
    std::string address;
    {
        Addresses& addresses = BusAddresses();
        std::lock_guard lock(addresses.mutex);
        address = kind == BusKind::System ? addresses.system : addresses.session;
    }
    if (!address.empty())
        return Connect(address, bus);
    sd_bus* raw = nullptr;
    const int r = kind == BusKind::System ? sd_bus_open_system(&raw) : sd_bus_open_user(&raw);
    bus.reset(raw);
    return r;
}

void SetBusAddress(BusKind kind, const std::string& address)
{
    Addresses& addresses = BusAddresses();
    std::lock_guard lock(addresses.mutex);
    (kind == BusKind::System ? addresses.system : addresses.session) = address;
}

}  // namespace quen::platform::posix
