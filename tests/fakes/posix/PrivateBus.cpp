// A dbus-daemon of the test's own with stand-ins for logind, the desktop
// session manager and udisks, served on a thread of the test process.
#include "fakes/posix/PrivateBus.h"
#include "fakes/TestMachine.h"

#include "platform/posix/SdBus.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <ranges>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quen::test {

using platform::posix::Bus;
using platform::posix::BusKind;
using platform::posix::SetBusAddress;

namespace {

constexpr std::string_view kUdisks = "/org/freedesktop/UDisks2/";

void PointAtNoBus()
{
    // No one can make a socket in /proc.
    SetBusAddress(BusKind::System, "unix:path=/proc/quen-no-bus");
    SetBusAddress(BusKind::Session, "unix:path=/proc/quen-no-bus");
}

// Before any test runs.
const bool g_offTheMachinesBus = (PointAtNoBus(), true);

}  // namespace

struct PrivateBus::Services {
    TempHostDir folder;
    std::string address;
    pid_t daemon = -1;
    Bus bus;
    std::jthread thread;

    mutable std::mutex mutex;
    std::vector<std::pair<std::string, int>> locks;  // what, the read end of its pipe
    std::map<uint32_t, uint32_t> inhibitors;         // cookie, flags
    uint32_t lastCookie = 0;
    std::vector<std::string> udisks;

    ~Services();

    static Services& Of(void* self) { return *static_cast<Services*>(self); }

    static int Inhibit(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
    {
        const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
        int r = sd_bus_message_read(call, "ssss", &what, &who, &why, &mode);
        int ends[2];
        if (r < 0 || ::pipe2(ends, O_CLOEXEC) != 0)
            return r < 0 ? r : -errno;
        {
            // Recorded before the answer, which the caller may act on at once.
            std::lock_guard lock(Of(self).mutex);
            Of(self).locks.emplace_back(what, ends[0]);
        }
        r = sd_bus_reply_method_return(call, "h", ends[1]);
        ::close(ends[1]);
        return r;
    }

    static int SessionInhibit(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
    {
        const char *app = nullptr, *reason = nullptr;
        uint32_t window = 0, flags = 0;
        const int r = sd_bus_message_read(call, "susu", &app, &window, &reason, &flags);
        if (r < 0)
            return r;
        std::lock_guard lock(Of(self).mutex);
        Of(self).inhibitors[++Of(self).lastCookie] = flags;
        return sd_bus_reply_method_return(call, "u", Of(self).lastCookie);
    }

    static int SessionUninhibit(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
    {
        uint32_t cookie = 0;
        const int r = sd_bus_message_read(call, "u", &cookie);
        if (r < 0)
            return r;
        std::lock_guard lock(Of(self).mutex);
        Of(self).inhibitors.erase(cookie);
        return sd_bus_reply_method_return(call, "");
    }

    // Filesystem.Unmount and Drive.Eject of any object below their folder.
    static int UdisksCall(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
    {
        const std::string object = sd_bus_message_get_path(call);
        std::lock_guard lock(Of(self).mutex);
        Of(self).udisks.push_back(sd_bus_message_get_member(call) + (" " + object.substr(kUdisks.size())));
        return sd_bus_reply_method_return(call, "");
    }

    static int BlockDrive(sd_bus* /*bus*/, const char* path, const char* /*interface*/, const char* /*property*/,
                          sd_bus_message* reply, void* /*self*/, sd_bus_error* /*error*/)
    {
        const std::string block = path;
        const std::string drive = std::string(kUdisks) + "drives/disc_" + block.substr(block.rfind('/') + 1);
        return sd_bus_message_append(reply, "o", drive.c_str());
    }

    bool StartDaemon()
    {
        const std::filesystem::path socket = folder.Path() / "bus";
        const std::filesystem::path config = folder.Path() / "bus.conf";
        std::ofstream(config) << "<busconfig><type>session</type><listen>unix:path="
                              << socket.string()
                              << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                 "<allow send_destination=\"*\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                                 "</policy></busconfig>\n";
        const std::string configArgument = "--config-file=" + config.string();
        daemon = ::fork();
        if (daemon == 0) {
            // Its complaints (no raised descriptor limit) are not the test's.
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, STDOUT_FILENO);
            ::dup2(quiet, STDERR_FILENO);
            ::execlp("dbus-daemon", "dbus-daemon", configArgument.c_str(), "--nofork", "--nopidfile",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        address = "unix:path=" + socket.string();
        // The socket is there before the daemon listens on it: ready once a
        // connection succeeds.
        SetBusAddress(BusKind::Session, address);
        for (int tries = 0; daemon > 0 && tries < 500; ++tries) {
            if (std::filesystem::exists(socket) && platform::posix::OpenBus(BusKind::Session, bus) >= 0)
                return true;
            if (::waitpid(daemon, nullptr, WNOHANG) == daemon)
                daemon = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    bool Serve()
    {
        static const sd_bus_vtable logind[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Inhibit", "ssss", "h", Inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        static const sd_bus_vtable session[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Inhibit", "susu", "u", SessionInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("Uninhibit", "u", "", SessionUninhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        static const sd_bus_vtable filesystem[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Unmount", "a{sv}", "", UdisksCall, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        static const sd_bus_vtable block[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_PROPERTY("Drive", "o", BlockDrive, 0, SD_BUS_VTABLE_PROPERTY_CONST),
            SD_BUS_VTABLE_END,
        };
        static const sd_bus_vtable drive[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Eject", "a{sv}", "", UdisksCall, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        sd_bus* b = bus.get();
        const std::string blocks = std::string(kUdisks) + "block_devices", drives = std::string(kUdisks) + "drives";
        if (sd_bus_add_object_vtable(b, nullptr, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", logind,
                                     this) < 0 ||
            sd_bus_add_object_vtable(b, nullptr, "/org/gnome/SessionManager", "org.gnome.SessionManager", session,
                                     this) < 0 ||
            sd_bus_add_fallback_vtable(b, nullptr, blocks.c_str(), "org.freedesktop.UDisks2.Filesystem", filesystem,
                                       nullptr, this) < 0 ||
            sd_bus_add_fallback_vtable(b, nullptr, blocks.c_str(), "org.freedesktop.UDisks2.Block", block, nullptr,
                                       this) < 0 ||
            sd_bus_add_fallback_vtable(b, nullptr, drives.c_str(), "org.freedesktop.UDisks2.Drive", drive, nullptr,
                                       this) < 0)
            return false;
        for (const char* name : {"org.freedesktop.login1", "org.gnome.SessionManager", "org.freedesktop.UDisks2"}) {
            if (sd_bus_request_name(b, name, 0) < 0)
                return false;
        }
        SetBusAddress(BusKind::System, address);
        thread = std::jthread([this](std::stop_token stop) {
            while (!stop.stop_requested()) {
                if (sd_bus_process(bus.get(), nullptr) > 0)
                    continue;
                sd_bus_wait(bus.get(), 20'000);
            }
        });
        return true;
    }
};

PrivateBus::PrivateBus() : m_services(std::make_unique<Services>())
{
    if (!m_services->StartDaemon() || !m_services->Serve()) {
        PointAtNoBus();
        m_services.reset();
    }
}

PrivateBus::~PrivateBus() { PointAtNoBus(); }

PrivateBus::Services::~Services()
{
    thread = {};  // asks the serving thread to stop and waits for it
    bus.reset();
    if (daemon > 0) {
        ::kill(daemon, SIGTERM);
        ::waitpid(daemon, nullptr, 0);
    }
    for (const auto& lock : locks)
        ::close(lock.second);
}

bool PrivateBus::Started() const { return m_services != nullptr; }

std::vector<std::string> PrivateBus::LocksStanding() const
{
    // The daemon and the services let go of a passed descriptor only at their
    // next turn: one call through both gives them that turn.
    if (Bus client; platform::posix::OpenBus(BusKind::System, client) >= 0)
        sd_bus_call_method(client.get(), "org.freedesktop.login1", "/", "org.freedesktop.DBus.Peer", "Ping", nullptr,
                           nullptr, "");
    std::lock_guard lock(m_services->mutex);
    std::vector<std::string> standing;
    for (const auto& [what, readEnd] : m_services->locks) {
        // A lock stands until every copy of its descriptor is closed.
        pollfd entry{readEnd, POLLIN, 0};
        if (::poll(&entry, 1, 0) != 1 || (entry.revents & POLLHUP) == 0)
            standing.push_back(what);
    }
    return standing;
}

std::vector<uint32_t> PrivateBus::InhibitorsStanding() const
{
    std::lock_guard lock(m_services->mutex);
    const auto flags = std::views::values(m_services->inhibitors);
    return {flags.begin(), flags.end()};
}

std::vector<std::string> PrivateBus::UdisksCalls() const
{
    std::lock_guard lock(m_services->mutex);
    return m_services->udisks;
}

}  // namespace quen::test
