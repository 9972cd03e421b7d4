// What became of each record of a run, as the library's module-outcome
// events tell, and the registry record each installed one left.
#pragma once

#include <quen/InstallDB.h>
#include <quen/Installer.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quen::host {

class ModuleOutcomes {
public:
    // The records in the order the run installs them.
    ModuleOutcomes(const CDataTableList& applications, const CDataTableList& modules);

    // The next record of that label not reported yet takes the outcome.
    void Reported(const ModuleOutcomeEventData& outcome);
    // The host has called CancelNow: a setup program that reports its code
    // from now on was ended by the user, not failed by itself.
    void EndingSetupNow() { m_endingSetupNow = true; }
    bool EndedByUser(int32_t setupCode) const { return m_endingSetupNow && setupCode == kEndedByCancelNow; }

    // One line per record: its label and its outcome ("not reached" for a
    // record the run never came to).
    std::vector<std::string> Lines() const;
    // One line per record whose install wrote a registry record: its key
    // below kRecordsKey and the values read back from it.
    std::vector<std::string> RegistryLines() const;
    // One line per record the run reached and did not install: its label
    // and why.
    std::vector<std::string> NotInstalledLines() const;

    static const wchar_t* const kRecordsKey;
    // The codes SetupFailed reports for a program that CancelNow ended, and
    // for one that ran past the setup timeout.
    static constexpr int32_t kEndedByCancelNow = 1223;
    static constexpr int32_t kSetupTimedOut = 1460;
    // "installed", "setup failed (exit code 3)", ...
    std::string Describe(const ModuleOutcomeEventData& outcome) const;
    // True for an outcome that leaves the module installed, or that a data
    // module has; every other outcome leaves it not installed.
    static bool Installed(CInstaller::EModuleOutcome outcome);
    // "installed", "setupFailed", ... for machines.
    static const char* Name(CInstaller::EModuleOutcome outcome);

private:
    struct Entry {
        std::wstring label;
        std::wstring partId;
        bool reported = false;
        ModuleOutcomeEventData outcome;
    };

    void Add(const CDataTableList& records);

    std::vector<Entry> m_entries;
    bool m_endingSetupNow = false;
};

}  // namespace quen::host
