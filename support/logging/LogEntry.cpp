#include <quen/Logging.h>

#include "foundation/WideString.h"

const wchar_t* LogLevelName(int level)
{
    switch (level) {
    case eLogError: return L"Error";
    case eLogWarning: return L"Warning";
    case eLogInfo: return L"Info";
    case eLogDebug: return L"Debug";
    default: return L"Level?";
    }
}

CLogEntry::CLogEntry(int level) : m_level(level) {}

CLogEntry& CLogEntry::Append(std::wstring_view text)
{
    m_text.append(text);
    return *this;
}

CLogEntry& CLogEntry::Append(const wchar_t* text) { return text ? Append(std::wstring_view(text)) : *this; }

CLogEntry& CLogEntry::Append(std::string_view utf8) { return Append(std::wstring_view(quen::FromUtf8Lossy(utf8))); }

CLogEntry& CLogEntry::Append(const char* utf8) { return utf8 ? Append(std::string_view(utf8)) : *this; }

CLogEntry& CLogEntry::Append(bool value) { return Append(value ? L"true" : L"false"); }

CLogEntry& CLogEntry::Append(double value) { return Append(std::wstring_view(quen::Format(L"%g", value))); }

CLogEntry& CLogEntry::AppendSigned(long long value) { return Append(std::wstring_view(std::to_wstring(value))); }

CLogEntry& CLogEntry::AppendUnsigned(unsigned long long value)
{
    return Append(std::wstring_view(std::to_wstring(value)));
}

CLogEntry& CLogEntry::Append(const ILoggable& piece) { return piece.LogTo(*this); }

// Here rather than beside the exceptions: the exceptions sit below logging and
// know no log entry; an exception prints as its text.
CLogEntry& EBaseException::LogTo(CLogEntry& entry) const { return entry.Append(GetText()); }

std::wstring LogRecord::Format() const
{
    return quen::Format(L"%s [%u] %-7s %s", timestamp, threadId, LogLevelName(level), text);
}

namespace quen {

LogLine::LogLine(int level) : m_entry(CLoggingFactory::GetInstance().Begin(level)) {}

LogLine::~LogLine()
{
    m_entry << L"";
    CLoggingFactory::GetInstance().End(m_entry);
}

}  // namespace quen
