// CModuleInstaller: the module's folder below the installs folder, filled by
// the staging copy and removed after the install.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

#include "module/InstallRules.h"

void CModuleInstaller::CopyToInstallDir()
{
    // Both folders check the release path before anything is touched.
    const std::wstring sourceFolder = SourceDir();
    const std::wstring destination = InstallsDir();
    CDirectory source(sourceFolder);

    quen::Log(eLogInfo) << L"CModuleInstaller::CopyToInstallDir()";
    quen::Log(eLogInfo) << L"       PartType: " << PartType();
    quen::Log(eLogInfo) << L" Customer Label: " << (*Module())[IdfFields::CustomerLabel];
    quen::Log(eLogInfo) << L"         Source: " << source.GetFullPath();
    quen::Log(eLogInfo) << L"    Destination: " << destination;

    if (!source.Exists()) {
        throw EFileException(L"Source directory doesn't exist.", L".\\ModuleInstaller", __LINE__,
                             EFileException::BadPath, sourceFolder);
    }

    // A module that lies on several discs comes once from each, into one
    // folder: only the same folder from the same disc counts as done.
    CDirectory target(destination);
    if (Installer()->IsStaged(GetDisc(), target.GetFullPath())) {
        quen::Log(eLogInfo) << L"Path has already been installed.";
        return;
    }

    // Empty the folder of what an earlier run left, but never of what this
    // run staged there or in a folder nested with it.
    CDirectory parent(CDirectory::GetParentDirectory(destination));
    if (Installer()->TouchesStagedPath(target.GetFullPath()))
        target.Create();
    else
        target.EnsureEmptyDirExists();

    quen::LoadStagedContents(*Module(), source);
    quen::Log(eLogInfo) << L"        # Files: " << source.GetFileCount();
    quen::Log(eLogInfo) << L"  # Directories: " << source.GetDirectoryCount();

    parent.CopyDirectoryHere(source, false);
    Installer()->MarkStaged(GetDisc(), target.GetFullPath());
}

void CModuleInstaller::CleanupAfterInstall()
{
    const std::wstring folder = InstallsDir();
    quen::Log(eLogInfo) << L"Remove directory " << folder << L" after install.";
    CDirectory directory(folder, nullptr, true, true);
    directory.SetNormal();
    directory.Delete();
}
