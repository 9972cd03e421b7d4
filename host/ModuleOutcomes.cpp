#include "ModuleOutcomes.h"

#include "Console.h"
#include "Text.h"

#include <quen/OsServices.h>

#include <algorithm>

namespace quen::host {

const wchar_t* const ModuleOutcomes::kRecordsKey = L"SOFTWARE\\Quen Corporation\\Installed Software\\Modules\\";

ModuleOutcomes::ModuleOutcomes(const CDataTableList& applications, const CDataTableList& modules)
{
    Add(applications);
    Add(modules);
}

void ModuleOutcomes::Add(const CDataTableList& records)
{
    for (auto it = records.BeginC(); it != records.EndC(); ++it) {
        const CDataTable& record = **it;
        Entry entry;
        entry.label = record[IdfFields::CustomerLabel];
        entry.partId = record[IdfFields::PartID_Rel];
        m_entries.push_back(entry);
    }
}

void ModuleOutcomes::Reported(const ModuleOutcomeEventData& outcome)
{
    for (Entry& entry : m_entries) {
        if (!entry.reported && entry.label == outcome.label) {
            entry.reported = true;
            entry.outcome = outcome;
            return;
        }
    }
}

bool ModuleOutcomes::Installed(CInstaller::EModuleOutcome outcome)
{
    switch (outcome) {
    case CInstaller::eModuleInstalled:
    case CInstaller::eModuleSkippedData: return true;
    default: return false;
    }
}

const char* ModuleOutcomes::Name(CInstaller::EModuleOutcome outcome)
{
    switch (outcome) {
    case CInstaller::eModuleInstalled: return "installed";
    case CInstaller::eModuleSetupFailed: return "setupFailed";
    case CInstaller::eModuleSkippedData: return "skippedData";
    case CInstaller::eModulePackageMissing: return "packageMissing";
    case CInstaller::eModuleReleaseIdMismatch: return "releaseIdMismatch";
    case CInstaller::eModuleNotStaged: return "notStaged";
    case CInstaller::eModuleVersionCheckFailed: return "versionCheckFailed";
    case CInstaller::eModuleFailed: return "failed";
    case CInstaller::eModuleNotInstalled: return "notInstalled";
    case CInstaller::eModuleSetupTimedOut: return "setupTimedOut";
    }
    return "unknown";
}

std::string ModuleOutcomes::Describe(const ModuleOutcomeEventData& outcome) const
{
    const std::string code = std::to_string(outcome.code);
    switch (outcome.outcome) {
    case CInstaller::eModuleInstalled: return "installed";
    case CInstaller::eModuleSetupFailed: {
        if (EndedByUser(outcome.code))
            return "setup ended by the user";
        const std::string signal = SignalName(outcome.code);
        return signal.empty() ? "setup failed (exit code " + code + ")" : "setup failed (killed by " + signal + ")";
    }
    case CInstaller::eModuleSkippedData: return "skipped (data)";
    case CInstaller::eModulePackageMissing: return "package missing";
    case CInstaller::eModuleReleaseIdMismatch:
        return "release ID mismatch (record " + Utf8(outcome.expectedReleaseId) + ", package " +
               (outcome.foundReleaseId.empty() ? std::string("has none") : Utf8(outcome.foundReleaseId)) + ")";
    case CInstaller::eModuleNotStaged: return "not staged (no disc holds it)";
    case CInstaller::eModuleVersionCheckFailed: return "version check failed (result " + code + ")";
    case CInstaller::eModuleFailed: return "failed (the run ended here)";
    case CInstaller::eModuleNotInstalled: return "not installed";
    case CInstaller::eModuleSetupTimedOut: return "setup timed out after " + code + " s";
    }
    return "unknown outcome " + std::to_string(static_cast<int>(outcome.outcome));
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
        lines.push_back(label + "  " + (e.reported ? Describe(e.outcome) : std::string("not reached")));
    }
    return lines;
}

std::vector<std::string> ModuleOutcomes::NotInstalledLines() const
{
    std::vector<std::string> lines;
    for (const Entry& e : m_entries) {
        if (e.reported && !Installed(e.outcome.outcome))
            lines.push_back(Utf8(e.label.empty() ? L"(no label)" : e.label) + ": " + Describe(e.outcome));
    }
    return lines;
}

std::vector<std::string> ModuleOutcomes::RegistryLines() const
{
    std::vector<std::string> lines;
    for (const Entry& e : m_entries) {
        // Data modules install nothing, and a failed install ends before its record.
        if (!e.reported || e.outcome.outcome == CInstaller::eModuleSkippedData ||
            e.outcome.outcome == CInstaller::eModuleFailed)
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
