#include "ModuleOutcomes.h"

#include "Text.h"

#include <quen/OsServices.h>

#include <algorithm>
#include <cwctype>

namespace quen::host {

const wchar_t* const ModuleOutcomes::kRecordsKey = L"SOFTWARE\\Quen Corporation\\Installed Software\\Modules\\";

namespace {

bool IsData(const CDataTable& record)
{
    std::wstring type = record[IdfFields::InstallerType];
    std::transform(type.begin(), type.end(), type.begin(), [](wchar_t c) { return std::towupper(c); });
    return type == L"DATA";
}

}  // namespace

ModuleOutcomes::ModuleOutcomes(const CDataTableList& applications, const CDataTableList& modules)
{
    Add(applications);
    Add(modules);
}

void ModuleOutcomes::Add(const CDataTableList& records)
{
    for (auto it = records.BeginC(); it != records.EndC(); ++it) {
        const CDataTable& record = **it;
        Entry entry{record[IdfFields::CustomerLabel], record[IdfFields::PartID_Rel]};
        if (IsData(record))
            entry.state = State::Data;
        m_entries.push_back(entry);
    }
}

void ModuleOutcomes::Installing(const std::wstring& label)
{
    if (m_started && m_entries[m_current].label == label)
        return;
    for (std::size_t i = m_next; i < m_entries.size(); ++i) {
        if (m_entries[i].state == State::NotReached && m_entries[i].label == label) {
            m_entries[i].state = State::Installed;
            m_current = i;
            m_started = true;
            m_next = i + 1;
            return;
        }
    }
}

void ModuleOutcomes::SetupFailed(const std::wstring& label, int code)
{
    if (!m_started || m_entries[m_current].label != label)
        return;
    m_entries[m_current].state = State::SetupFailed;
    m_entries[m_current].code = code;
}

std::vector<std::string> ModuleOutcomes::Lines() const
{
    std::size_t width = 0;
    for (const Entry& e : m_entries)
        width = std::max(width, Utf8(e.label).size());
    std::vector<std::string> lines;
    for (const Entry& e : m_entries) {
        std::string label = Utf8(e.label.empty() ? L"(no label)" : e.label);
        label.resize(std::max(label.size(), width), ' ');
        switch (e.state) {
        case State::Installed: lines.push_back(label + "  installed"); break;
        case State::SetupFailed:
            lines.push_back(label + "  setup failed (exit code " + std::to_string(e.code) + ")");
            break;
        case State::Data: lines.push_back(label + "  skipped (data)"); break;
        case State::NotReached: lines.push_back(label + "  not installed"); break;
        }
    }
    return lines;
}

std::vector<std::string> ModuleOutcomes::RegistryLines() const
{
    std::vector<std::string> lines;
    for (const Entry& e : m_entries) {
        if (e.state != State::Installed && e.state != State::SetupFailed)
            continue;
        const std::wstring key = std::wstring(kRecordsKey) + e.label + L" " + e.partId;
        std::string line = Utf8(e.label + L" " + e.partId) + ":";
        bool any = false;
        for (const wchar_t* value : {L"DetailedVersion", L"InstallMode"}) {
            std::wstring text;
            if (CRegistry::GetString(ERegistryRoot::LocalMachine, key, value, text)) {
                line += " " + Utf8(value) + "=" + Utf8(text);
                any = true;
            }
        }
        lines.push_back(any ? line : line + " no record");
    }
    return lines;
}

}  // namespace quen::host
