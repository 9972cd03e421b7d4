// POSIX personality: on a Linux desktop it is the session that mounts a new
// disc and offers to open or run what it holds. The GNOME session manager
// holds that off for as long as an "automount" inhibitor stands, and drops
// the inhibitor when the connection that took it closes, so a crash leaves
// nothing changed. While held the desktop mounts no new disc either: the
// host puts each disc where its drive letter maps. Without a desktop session
// nothing starts a disc by itself, and there is nothing to hold.
#include "platform/Autoplay.h"

#include "foundation/Report.h"
#include "platform/Text.h"
#include "platform/posix/SdBus.h"

#include <cstdint>
#include <mutex>
#include <set>

namespace quen::platform {
namespace {

using posix::Bus;
using posix::BusError;
using posix::Message;

constexpr uint32_t kInhibitAutomount = 16;

class SessionInhibitor {
public:
    bool Hold(const std::wstring& root, bool hold)
    {
        std::lock_guard lock(m_mutex);
        const std::wstring drive = ToUpper(root);
        if (!hold) {
            m_drives.erase(drive);
            if (m_drives.empty())
                Release();
            return true;
        }
        if (m_drives.empty() && !Inhibit(root))
            return false;
        m_drives.insert(drive);
        return true;
    }

private:
    bool Inhibit(const std::wstring& root)
    {
        Bus bus;
        int r = posix::OpenBus(posix::BusKind::Session, bus);
        if (r < 0) {
            Report(ReportLevel::Info, L"No desktop session: nothing starts an inserted disc by itself.");
            return true;
        }

        BusError error;
        sd_bus_message* rawReply = nullptr;
        r = sd_bus_call_method(bus.get(), "org.gnome.SessionManager", "/org/gnome/SessionManager",
                               "org.gnome.SessionManager", "Inhibit", &error, &rawReply, "susu", "Quen installer",
                               0u, "A recovery installation is reading its discs", kInhibitAutomount);
        Message reply(rawReply);
        if (r < 0 && (error.Is(SD_BUS_ERROR_SERVICE_UNKNOWN) || error.Is(SD_BUS_ERROR_NAME_HAS_NO_OWNER))) {
            Report(ReportLevel::Info, L"No desktop session manager: nothing starts an inserted disc by itself.");
            return true;
        }
        uint32_t cookie = 0;
        if (r >= 0)
            r = sd_bus_message_read(reply.get(), "u", &cookie);
        if (r < 0) {
            Report(ReportLevel::Warning,
                   L"Could not hold off autoplay for drive " + root + L": " + posix::CallFailure(error, r));
            return false;
        }
        m_bus = std::move(bus);
        m_cookie = cookie;
        return true;
    }

    void Release()
    {
        if (m_bus) {
            BusError error;
            sd_bus_call_method(m_bus.get(), "org.gnome.SessionManager", "/org/gnome/SessionManager",
                               "org.gnome.SessionManager", "Uninhibit", &error, nullptr, "u", m_cookie);
        }
        m_bus.reset();
    }

    std::mutex m_mutex;
    std::set<std::wstring> m_drives;  // upper case
    Bus m_bus;                        // the inhibitor stands while it is open
    uint32_t m_cookie = 0;
};

}  // namespace

bool SetAutoplayHold(const std::wstring& root, bool hold)
{
    static SessionInhibitor inhibitor;
    return inhibitor.Hold(root, hold);
}

}  // namespace quen::platform
