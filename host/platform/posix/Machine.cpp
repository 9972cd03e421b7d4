#include "Machine.h"
#include "PathChecks.h"
#include "UserPaths.h"

#include <quen/Machine.h>

namespace quen::host {

void AddDiscOptions(CLI::App& sources, RunOptions& options)
{
    sources.add_option("--discs", options.discs,
                       "Folders of numbered recovery discs (disc 1 first), shown through one drive letter; the "
                       "requested disc is put in automatically")
        ->check(CLI::ExistingDirectory);
}

void AddMachineRootOption(CLI::App& command, std::filesystem::path& root)
{
    command.add_option("--machine-root", root,
                       "Folder that holds the Windows machine the library works in (default: $QUEN_ROOT, else "
                       "~/.local/share/quen/machine)")
        ->check(NotBlank & NoFile);
}

void PrepareMachine(const std::filesystem::path& root, bool create)
{
    if (!root.empty()) {
        if (create)
            std::filesystem::create_directories(root);
        quen::SetMachineRoot(std::filesystem::absolute(root));
    }
}

std::wstring Reach(wchar_t letter, const std::filesystem::path& folder)
{
    quen::MapDrive(letter, std::filesystem::absolute(folder));
    RememberDrive(letter, std::filesystem::absolute(folder));
    return std::wstring(1, letter) + L":\\";
}

std::vector<std::string> MachineLines()
{
    const std::filesystem::path root = quen::MachineRoot();
    return {"Machine root: " + root.string(), "Installed files (drive C:): " + quen::HostPath(L"C:\\").string(),
            "Registry: " + (root / "registry" / "HKLM.reg").string()};
}

}  // namespace quen::host
