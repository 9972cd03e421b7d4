#include <quen/Logging.h>

#include "platform/Clock.h"
#include "platform/Process.h"

#include <algorithm>
#include <mutex>

namespace {

// The process-wide logger. One lock orders whole records, so the lines of two
// threads never interleave and every sink sees the same order.
class Logger final : public ILogger {
public:
    CLogEntry Begin(int level) override { return CLogEntry(level); }

    void End(CLogEntry& entry) override
    {
        LogRecord record;
        record.level = entry.Level();
        record.threadId = quen::platform::CurrentThreadId();
        record.text = entry.Text();
        std::lock_guard lock(m_mutex);
        record.timestamp = quen::platform::LocalTimestamp();
        for (const auto& sink : m_sinks)
            sink->Write(record);
    }

    void Add(std::shared_ptr<ILogSink> sink)
    {
        if (!sink)
            return;
        std::lock_guard lock(m_mutex);
        if (std::find(m_sinks.begin(), m_sinks.end(), sink) == m_sinks.end())
            m_sinks.push_back(std::move(sink));
    }

    void Remove(const std::shared_ptr<ILogSink>& sink)
    {
        std::lock_guard lock(m_mutex);
        m_sinks.erase(std::remove(m_sinks.begin(), m_sinks.end(), sink), m_sinks.end());
    }

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<ILogSink>> m_sinks;
};

Logger& Instance()
{
    static Logger logger;
    return logger;
}

}  // namespace

ILogger::~ILogger() = default;
ILogSink::~ILogSink() = default;

ILogger& CLoggingFactory::GetInstance() { return Instance(); }

void CLoggingFactory::AddSink(std::shared_ptr<ILogSink> sink) { Instance().Add(std::move(sink)); }

void CLoggingFactory::RemoveSink(const std::shared_ptr<ILogSink>& sink) { Instance().Remove(sink); }
