// POSIX: the answers of a Western Windows that need no system call come from
// the portable personality code.
#include "platform/AnsiTextFile.h"
#include "platform/Dates.h"
#include "platform/personality/AnsiCodePage.h"
#include "platform/personality/Dates.h"

namespace quen::platform {

bool ParseDate(const std::wstring& text, CalendarDate& date) { return personality::ParseInvariantDate(text, date); }

std::wstring FromAnsiCodePage(std::string_view bytes) { return personality::FromWindows1252(bytes); }

}  // namespace quen::platform
