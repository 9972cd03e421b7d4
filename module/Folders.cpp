// CModuleInstaller: the module's folders, below the installer's.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

#include "module/InstallRules.h"

std::wstring CModuleInstaller::SourceDir() const
{
    const std::wstring folder =
        CFileSystemObject::PathAddSlash(Installer()->SourceDir()) + quen::CheckedReleasePath(*Module());
    quen::Log(eLogDebug) << L"[CModuleInstaller::SourceDir()] returns " << folder;
    return folder;
}

std::wstring CModuleInstaller::InstallsDir() const
{
    return CFileSystemObject::PathAddSlash(Installer()->InstallsDir()) + quen::CheckedReleasePath(*Module());
}

std::wstring CModuleInstaller::ExtractDir() const
{
    return CFileSystemObject::PathAddSlash(Installer()->ExtractDir()) + quen::CheckedReleasePath(*Module());
}

std::wstring CModuleInstaller::WIMDir() const { return Installer()->WIMDir(); }

std::wstring CModuleInstaller::MountDir() const { return Installer()->MountDir(); }

std::wstring CModuleInstaller::GetInstallSource() const
{
    const std::wstring base = IsTemporary() ? Installer()->InstallsDir() : Installer()->SourceDir();
    return CFileSystemObject::PathAddSlash(base) + quen::CheckedReleasePath(*Module());
}

std::wstring CModuleInstaller::FindFirstMatching(const std::wstring& pattern) const
{
    const std::wstring release = quen::CheckedReleasePath(*Module());
    CDirectory folder(Installer()->SourceDir());
    folder.PathAdd(release);
    folder.LoadContents(pattern.c_str());
    return folder.GetFileCount() != 0 ? folder[0].GetFullPath() : std::wstring();
}
