// What became of each record of a run, as its events tell: installed, setup
// failed with a code, skipped as data, or never reached; and the registry
// record each installed one left.
#pragma once

#include <quen/InstallDB.h>

#include <string>
#include <vector>

namespace quen::host {

class ModuleOutcomes {
public:
    // The records in the order the run installs them.
    ModuleOutcomes(const CDataTableList& applications, const CDataTableList& modules);

    // InstallStatus "installing": the next record of that label starts. The
    // record being installed may report its start again (an exe/batch
    // package when its program starts, a temporary module after first-boot
    // setup): that changes nothing.
    void Installing(const std::wstring& label);
    void SetupFailed(const std::wstring& label, int code);

    // One line per record: its label and its outcome.
    std::vector<std::string> Lines() const;
    // One line per record that reached its install: its registry key below
    // kRecordsKey and the values read back from it.
    std::vector<std::string> RegistryLines() const;

    static const wchar_t* const kRecordsKey;

private:
    enum class State { NotReached, Installed, SetupFailed, Data };
    struct Entry {
        std::wstring label;
        std::wstring partId;
        State state = State::NotReached;
        int code = 0;
    };

    void Add(const CDataTableList& records);

    std::vector<Entry> m_entries;
    std::size_t m_next = 0;
    std::size_t m_current = 0;
    bool m_started = false;
};

}  // namespace quen::host
