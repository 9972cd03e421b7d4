// Compares a whole run's log to a golden file in tests/data/golden/, line by
// line, after masking what changes from run to run (times and thread ids are
// left out; the caller names the paths to mask). On a mismatch the failure
// shows the differing lines; with QUEN_UPDATE_GOLDEN=1 in the environment the
// golden file is rewritten instead.
#pragma once

#include <quen/Logging.h>

#include <string>
#include <utility>
#include <vector>

namespace quen::test {

// "<Level> <text>" per record, each `replacements` pair's first text replaced
// by its second, and the numbers after "pid " and "process " and before " ms"
// and " bytes" as "#". A text that brings several lines gives several.
std::vector<std::string> MaskedLog(const std::vector<LogRecord>& records,
                                   const std::vector<std::pair<std::wstring, std::wstring>>& replacements);

void ExpectGolden(const std::vector<std::string>& lines, const std::string& goldenName);

}  // namespace quen::test
