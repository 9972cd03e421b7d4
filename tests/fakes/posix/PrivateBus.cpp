// A dbus-daemon of the test's own with stand-ins for logind and the desktop
// session manager, served on a thread of the test process.
#include "fakes/posix/PrivateBus.h"

#include "platform/posix/SdBus.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
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

std::filesystem::path FreshFolder(const char* prefix)
{
    static std::atomic<unsigned> next{0};
    return std::filesystem::temp_directory_path() /
           (prefix + std::to_string(::getpid()) + "-" + std::to_string(next++));
}

void PointAtNoBus()
{
    static const std::string nowhere = "unix:path=" + (FreshFolder("quen-no-bus-") / "bus").string();
    SetBusAddress(BusKind::System, nowhere);
    SetBusAddress(BusKind::Session, nowhere);
}

// Before any test runs.
const bool g_offTheMachinesBus = (PointAtNoBus(), true);

bool Closed(int readEnd)
{
    pollfd entry{readEnd, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLHUP) != 0;
}

// The daemon and the services let go of a passed descriptor only at their
// next turn: one call through both gives them that turn.
void Settle()
{
    Bus bus;
    if (platform::posix::OpenBus(BusKind::System, bus) >= 0)
        sd_bus_call_method(bus.get(), "org.freedesktop.login1", "/", "org.freedesktop.DBus.Peer", "Ping", nullptr,
                           nullptr, "");
}

}  // namespace

struct PrivateBus::Services {
    std::filesystem::path folder;
    std::string address;
    pid_t daemon = -1;
    Bus bus;
    std::thread thread;
    std::atomic<bool> stop{false};

    mutable std::mutex mutex;
    std::vector<std::pair<std::string, int>> locks;  // what, the read end of its pipe
    std::vector<uint32_t> inhibitorFlags;
    std::set<uint32_t> inhibitors;

    ~Services();

    static int Inhibit(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
    {
        auto& services = *static_cast<Services*>(self);
        const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
        int r = sd_bus_message_read(call, "ssss", &what, &who, &why, &mode);
        if (r < 0)
            return r;
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return -errno;
        {
            // Recorded before the answer, which the caller may act on at once.
            std::lock_guard lock(services.mutex);
            services.locks.emplace_back(what, ends[0]);
        }
        r = sd_bus_reply_method_return(call, "h", ends[1]);
        ::close(ends[1]);
        return r;
    }

    static int SessionInhibit(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
    {
        auto& services = *static_cast<Services*>(self);
        const char *app = nullptr, *reason = nullptr;
        uint32_t window = 0, flags = 0;
        const int r = sd_bus_message_read(call, "susu", &app, &window, &reason, &flags);
        if (r < 0)
            return r;
        std::lock_guard lock(services.mutex);
        services.inhibitorFlags.push_back(flags);
        const auto cookie = static_cast<uint32_t>(services.inhibitorFlags.size());
        services.inhibitors.insert(cookie);
        return sd_bus_reply_method_return(call, "u", cookie);
    }

    static int SessionUninhibit(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
    {
        auto& services = *static_cast<Services*>(self);
        uint32_t cookie = 0;
        const int r = sd_bus_message_read(call, "u", &cookie);
        if (r < 0)
            return r;
        std::lock_guard lock(services.mutex);
        services.inhibitors.erase(cookie);
        return sd_bus_reply_method_return(call, "");
    }

    bool StartDaemon()
    {
        std::filesystem::create_directories(folder);
        const std::filesystem::path socket = folder / "bus";
        const std::filesystem::path config = folder / "bus.conf";
        std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                 "<busconfig><type>session</type><listen>unix:path="
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
        if (daemon < 0)
            return false;
        address = "unix:path=" + socket.string();
        // The socket is there before the daemon listens on it: ready once a
        // connection succeeds.
        SetBusAddress(BusKind::Session, address);
        for (int tries = 0; tries < 500; ++tries) {
            if (std::filesystem::exists(socket) && platform::posix::OpenBus(BusKind::Session, bus) >= 0)
                return true;
            if (::waitpid(daemon, nullptr, WNOHANG) == daemon) {
                daemon = -1;
                return false;
            }
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
        if (sd_bus_add_object_vtable(bus.get(), nullptr, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                     logind, this) < 0 ||
            sd_bus_add_object_vtable(bus.get(), nullptr, "/org/gnome/SessionManager", "org.gnome.SessionManager",
                                     session, this) < 0 ||
            sd_bus_request_name(bus.get(), "org.freedesktop.login1", 0) < 0 ||
            sd_bus_request_name(bus.get(), "org.gnome.SessionManager", 0) < 0)
            return false;
        SetBusAddress(BusKind::System, address);
        thread = std::thread([this] {
            while (!stop) {
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
    m_services->folder = FreshFolder("quen-bus-");
    if (!m_services->StartDaemon() || !m_services->Serve()) {
        PointAtNoBus();
        m_services.reset();
    }
}

PrivateBus::~PrivateBus() { PointAtNoBus(); }

PrivateBus::Services::~Services()
{
    stop = true;
    if (thread.joinable())
        thread.join();
    bus.reset();
    if (daemon > 0) {
        ::kill(daemon, SIGTERM);
        ::waitpid(daemon, nullptr, 0);
    }
    for (const auto& lock : locks)
        ::close(lock.second);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

bool PrivateBus::Started() const { return m_services != nullptr; }

std::vector<std::string> PrivateBus::LocksGranted() const
{
    std::lock_guard lock(m_services->mutex);
    std::vector<std::string> granted;
    for (const auto& [what, readEnd] : m_services->locks)
        granted.push_back(what);
    return granted;
}

std::vector<std::string> PrivateBus::LocksStanding() const
{
    Settle();
    std::lock_guard lock(m_services->mutex);
    std::vector<std::string> standing;
    for (const auto& [what, readEnd] : m_services->locks) {
        if (!Closed(readEnd))
            standing.push_back(what);
    }
    return standing;
}

std::vector<uint32_t> PrivateBus::InhibitorFlags() const
{
    std::lock_guard lock(m_services->mutex);
    return m_services->inhibitorFlags;
}

std::size_t PrivateBus::InhibitorsStanding() const
{
    std::lock_guard lock(m_services->mutex);
    return m_services->inhibitors.size();
}

}  // namespace quen::test
