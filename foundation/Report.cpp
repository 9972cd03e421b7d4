#include "foundation/Report.h"

#include <atomic>

namespace quen {
namespace {

// Constant-initialised, so a sink installed during static initialisation is
// never overwritten by this variable's own initialisation.
constinit std::atomic<ReportSink> g_sink{nullptr};

}  // namespace

void SetReportSink(ReportSink sink) { g_sink.store(sink); }

void Report(ReportLevel level, const std::wstring& text)
{
    if (const ReportSink sink = g_sink.load())
        sink(level, text);
}

}  // namespace quen
