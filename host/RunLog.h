// The program's own lines in the library's log, for whoever debugs a failed
// recovery from it: a header per run (the program, its command line, the
// machine, every drive letter it made up and the folder behind it, source
// and destination) and, at the end, each module's outcome and the result.
// They start with "quen-install: "; the library's own lines are untouched.
#pragma once

#include "RunOptions.h"

#include <filesystem>
#include <memory>
#include <string>

class CFileLogSink;

namespace quen::host {

// The log file, registered with the library's logger for the life of the
// object. A warning the run repeats word for word (a power hold refused
// once per hold) is written once.
class RunLog {
public:
    explicit RunLog(const std::filesystem::path& file);
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    static void Header(const RunOptions& options, const std::wstring& source, const std::wstring& destination);

private:
    class Sink;
    std::shared_ptr<Sink> m_sink;
};

// One line of the program's own at `level` (eLogInfo, ...).
void LogLine(int level, const std::string& text);

}  // namespace quen::host
