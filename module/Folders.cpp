// CModuleInstaller: the module's folders, below the installer's.
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

#include "module/RecordPath.h"

std::wstring CModuleInstaller::CheckedReleasePath() const
{
    const std::wstring path = PathToRelease();
    quen::CheckRecordPath(path, IdfFields::PathToRelease, Module()->Label(), L".\\ModuleInstaller", __LINE__);
    return path;
}

std::wstring CModuleInstaller::SourceDir() const
{
    const std::wstring folder = CFileSystemObject::PathAddSlash(Installer()->SourceDir()) + CheckedReleasePath();
    quen::Log(eLogDebug) << L"[CModuleInstaller::SourceDir()] returns " << folder;
    return folder;
}

std::wstring CModuleInstaller::InstallsDir() const
{
    return CFileSystemObject::PathAddSlash(Installer()->InstallsDir()) + CheckedReleasePath();
}

std::wstring CModuleInstaller::ExtractDir() const
{
    return CFileSystemObject::PathAddSlash(Installer()->ExtractDir()) + CheckedReleasePath();
}

std::wstring CModuleInstaller::WIMDir() const { return Installer()->WIMDir(); }

std::wstring CModuleInstaller::MountDir() const { return Installer()->MountDir(); }

std::wstring CModuleInstaller::GetInstallSource() const
{
    const std::wstring base = IsTemporary() ? Installer()->InstallsDir() : Installer()->SourceDir();
    return CFileSystemObject::PathAddSlash(base) + CheckedReleasePath();
}

std::wstring CModuleInstaller::FindFirstMatching(const std::wstring& pattern) const
{
    const std::wstring release = CheckedReleasePath();
    CDirectory folder(Installer()->SourceDir());
    folder.PathAdd(release);
    folder.LoadContents(pattern.c_str());
    return folder.GetFileCount() != 0 ? folder[0].GetFullPath() : std::wstring();
}
