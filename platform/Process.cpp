// What both implementations of program start share.
#include "platform/Process.h"

#include "platform/Text.h"

namespace quen::platform {

bool IsBatchFile(const std::wstring& program)
{
    const auto dot = program.find_last_of(L".\\/");
    if (dot == std::wstring::npos || program[dot] != L'.')
        return false;
    const std::wstring_view extension = std::wstring_view(program).substr(dot);
    return EqualsNoCase(extension, L".bat") || EqualsNoCase(extension, L".cmd");
}

void ProgramOutput::Add(std::string_view bytes)
{
    const std::string_view kept = bytes.substr(0, kKeptBytes - m_kept);
    m_notKept += bytes.size() - kept.size();
    m_kept += kept.size();
    for (const char c : kept) {
        if (c == '\n')
            Emit();
        else
            m_line += c;
    }
    if (m_kept == kKeptBytes && !m_line.empty())
        Emit();
}

void ProgramOutput::Finish()
{
    if (!m_line.empty())
        Emit();
}

void ProgramOutput::Emit()
{
    if (!m_line.empty() && m_line.back() == '\r')
        m_line.pop_back();
    if (m_onLine)
        m_onLine(m_line);
    m_line.clear();
}

}  // namespace quen::platform
