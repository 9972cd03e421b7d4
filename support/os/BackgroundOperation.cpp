#include <quen/OsServices.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace quen::detail {

struct BackgroundState {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> running{false};
    std::atomic<uint32_t> exitCode{0};
};

// A one-shot gate. Not std::latch: where the standard library has no futex
// (mingw-w64's libstdc++ 12) its waits can miss the wake-up and sleep for ever.
class StartGate {
public:
    void Open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_opened.notify_all();
    }
    void Wait()
    {
        std::unique_lock lock(m_mutex);
        m_opened.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

}  // namespace quen::detail

CBgThreadData::CBgThreadData(CBackgroundOperation& operation, void* userData)
    : m_state(operation.m_state), m_userData(userData)
{
}

bool CBgThreadData::IsCancelled() const { return m_state->cancelled; }

CBackgroundOperation::CBackgroundOperation() : m_state(std::make_shared<quen::detail::BackgroundState>()) {}

CBackgroundOperation::~CBackgroundOperation()
{
    Cancel();
    if (!m_thread.joinable())
        return;
    // Joining itself would deadlock. The thread owns its data and a share of
    // the flags, so it can run on after this object is gone.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

bool CBackgroundOperation::Start(Function function, void* userData)
{
    if (!function || m_state->running)
        return false;
    if (m_thread.joinable())
        m_thread.join();

    m_state->cancelled = false;
    m_state->running = true;
    auto data = std::make_unique<CBgThreadData>(*this, userData);
    // The function may destroy this object; it waits until m_thread is set,
    // so that the destructor sees its own thread and Start is done with us.
    auto started = std::make_shared<quen::detail::StartGate>();
    try {
        m_thread = std::thread([state = m_state, data = std::move(data), function, started] {
            started->Wait();
            state->exitCode = function(data.get());
            state->running = false;
        });
    } catch (const std::system_error&) {
        m_state->running = false;
        return false;
    }
    started->Open();
    return true;
}

void CBackgroundOperation::Cancel() { m_state->cancelled = true; }

bool CBackgroundOperation::IsCancelled() const { return m_state->cancelled; }

bool CBackgroundOperation::IsRunning() const { return m_state->running; }

void CBackgroundOperation::Wait()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

uint32_t CBackgroundOperation::ExitCode() const { return m_state->exitCode; }
