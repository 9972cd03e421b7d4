#include "RunLog.h"

#include "Machine.h"
#include "Text.h"
#include "UserPaths.h"

#include <quen/Logging.h>
#include <quen/Machine.h>

#include <set>

namespace quen::host {

class RunLog::Sink : public ILogSink {
public:
    explicit Sink(const std::filesystem::path& file) : m_file(file) {}

    void Write(const LogRecord& record) override
    {
        if (record.level == eLogWarning && !m_warned.insert(record.text).second)
            return;
        m_file.Write(record);
    }

private:
    CFileLogSink m_file;
    std::set<std::wstring> m_warned;  // under the logger's lock, as Write is
};

RunLog::RunLog(const std::filesystem::path& file) : m_sink(std::make_shared<Sink>(file))
{
    CLoggingFactory::AddSink(m_sink);
}

RunLog::~RunLog() { CLoggingFactory::RemoveSink(m_sink); }

void RunLog::Header(const RunOptions& options, const std::wstring& source, const std::wstring& destination)
{
    LogLine(eLogInfo, "quen-install " QUEN_VERSION);
    LogLine(eLogInfo, "Command line: " + options.commandLine);
    for (const std::string& line : MachineLines())
        LogLine(eLogInfo, line);
    for (const auto& [letter, folder] : RememberedDrives())
        LogLine(eLogInfo, "Drive " + Utf8(std::wstring(1, letter)) + ": is " + folder.string());
    LogLine(eLogInfo, "Source: " + Utf8(source) + " is " + quen::HostPath(source).string());
    LogLine(eLogInfo, "Destination: " + Utf8(destination) + " is " + quen::HostPath(destination).string());
}

void LogLine(int level, const std::string& text)
{
    quen::Log(level) << "quen-install: " << text;
}

}  // namespace quen::host
