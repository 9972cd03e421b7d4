// The layers below logging log nothing themselves: what they have to tell the
// user (a refused hold, a registry file they cannot read) they report here, and
// the logging layer installs the sink that turns each report into a log line.
#pragma once

#include <string>

namespace quen {

enum class ReportLevel { Error, Warning, Info };

using ReportSink = void (*)(ReportLevel level, const std::wstring& text);

// Reports made while no sink is installed are dropped.
void SetReportSink(ReportSink sink);
void Report(ReportLevel level, const std::wstring& text);

}  // namespace quen
