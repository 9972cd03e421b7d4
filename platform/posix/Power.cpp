// POSIX personality: power holds as systemd-logind inhibitor locks. logind
// hands out a descriptor per lock and keeps the lock while it is open, so the
// system drops every lock when the process ends, however it ends.
#include "platform/Power.h"

#include "foundation/Report.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/SdBus.h"

#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace quen::platform {
namespace {

constexpr const char* kWho = "Quen installer";
constexpr const char* kDefaultWhy = "An installation is in progress";

using posix::Bus;
using posix::BusError;
using posix::ErrnoText;
using posix::Message;

// One logind lock ("idle", "sleep", "shutdown") and the holds that share it.
class InhibitorLock {
public:
    explicit InhibitorLock(const char* what) : m_what(what) {}
    ~InhibitorLock() { Close(); }
    InhibitorLock(const InhibitorLock&) = delete;
    InhibitorLock& operator=(const InhibitorLock&) = delete;

    bool Take(unsigned holder, const std::wstring& reason)
    {
        if (m_fd < 0 && !Inhibit(reason))
            return false;
        m_holders |= holder;
        return true;
    }

    void Release(unsigned holder)
    {
        m_holders &= ~holder;
        if (m_holders == 0)
            Close();
    }

private:
    bool Inhibit(const std::wstring& reason)
    {
        Bus bus;
        int r = posix::OpenBus(posix::BusKind::System, bus);
        if (r < 0)
            return Refused(L"the system bus is not available (" + ErrnoText(-r) + L")", err::NotSupported);

        sd_bus_message* rawCall = nullptr;
        r = sd_bus_message_new_method_call(bus.get(), &rawCall, "org.freedesktop.login1", "/org/freedesktop/login1",
                                           "org.freedesktop.login1.Manager", "Inhibit");
        Message call(rawCall);
        const std::string why = reason.empty() ? kDefaultWhy : ToUtf8(reason);
        if (r >= 0)
            r = sd_bus_message_append(call.get(), "ssss", m_what, kWho, why.c_str(), "block");
        if (r < 0)
            return Refused(ErrnoText(-r), Win32FromErrno(-r));

        BusError error;
        sd_bus_message* rawReply = nullptr;
        r = sd_bus_call(bus.get(), call.get(), posix::kBusCallTimeoutUsec, &error, &rawReply);
        Message reply(rawReply);
        if (r < 0)
            return Refused(L"logind did not grant it: " + posix::CallFailure(error, r), Win32FromErrno(-r));

        int fd = -1;
        r = sd_bus_message_read(reply.get(), "h", &fd);
        if (r < 0)
            return Refused(L"logind's answer holds no lock (" + ErrnoText(-r) + L")", Win32FromErrno(-r));
        // The reply owns its descriptor; keep a copy that no child inherits.
        m_fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (m_fd < 0)
            return Refused(ErrnoText(errno), Win32FromErrno(errno));
        return true;
    }

    bool Refused(const std::wstring& why, uint32_t error) const
    {
        Report(ReportLevel::Warning,
               L"Could not take the logind \"" + FromUtf8Lossy(m_what) + L"\" inhibitor lock: " + why);
        return Fail(error);
    }

    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    const char* m_what;
    int m_fd = -1;
    unsigned m_holders = 0;  // bits of the AwakeHold values that hold the lock
};

struct Locks {
    std::mutex mutex;
    InhibitorLock idle{"idle"};
    InhibitorLock sleep{"sleep"};  // standby and hibernation share it
    InhibitorLock shutdown{"shutdown"};

    InhibitorLock& For(AwakeHold what)
    {
        switch (what) {
        case AwakeHold::ScreenSaver: return idle;
        case AwakeHold::Standby:
        case AwakeHold::Hibernation: return sleep;
        case AwakeHold::Shutdown: break;
        }
        return shutdown;
    }
};

Locks& ProcessLocks()
{
    static Locks locks;
    return locks;
}

}  // namespace

bool SetAwakeHold(AwakeHold what, bool hold, const std::wstring& reason)
{
    Locks& locks = ProcessLocks();
    std::lock_guard guard(locks.mutex);
    const unsigned holder = 1u << static_cast<unsigned>(what);
    if (!hold) {
        locks.For(what).Release(holder);
        return true;
    }
    return locks.For(what).Take(holder, reason);
}

}  // namespace quen::platform
