#include "Machine.h"

namespace quen::host {

// Windows has real drives: there is no machine root and no disc folders.
void AddDiscOptions(CLI::App&, RunOptions&) {}
void AddMachineRootOption(CLI::App&, std::filesystem::path&) {}

void PrepareMachine(const std::filesystem::path&, bool) {}

std::wstring Reach(wchar_t, const std::filesystem::path& folder)
{
    std::wstring path = std::filesystem::absolute(folder).wstring();
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/'))
        path += L'\\';
    return path;
}

// The run installed into this machine itself.
std::vector<std::string> MachineLines() { return {}; }

}  // namespace quen::host
