// The platform's reports become log lines of the matching level.
#include <quen/Logging.h>

#include "foundation/Report.h"

namespace {

int LevelOf(quen::ReportLevel level)
{
    switch (level) {
    case quen::ReportLevel::Error: return eLogError;
    case quen::ReportLevel::Warning: return eLogWarning;
    case quen::ReportLevel::Info: return eLogInfo;
    }
    return eLogError;
}

void ToLog(quen::ReportLevel level, const std::wstring& text) { quen::Log(LevelOf(level)) << text; }

// Installed when the library loads, before any code of it runs.
[[maybe_unused]] const bool g_installed = (quen::SetReportSink(&ToLog), true);

}  // namespace
