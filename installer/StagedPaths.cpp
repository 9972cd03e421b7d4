// CInstaller: the installed-path set, what this run staged into the
// installs folder.
#include <quen/Installer.h>

#include "foundation/WideString.h"
#include "platform/Text.h"

#include <string_view>

namespace {

// The folder part of a key: what follows the disc.
std::wstring_view FolderOf(const std::wstring& key)
{
    const std::size_t bar = key.find(L'|');
    return bar == std::wstring::npos ? std::wstring_view(key) : std::wstring_view(key).substr(bar + 1);
}

// True when `inner` is `folder` or lies inside it; both end with a backslash.
bool Holds(std::wstring_view folder, std::wstring_view inner)
{
    return inner.substr(0, folder.size()) == folder;
}

}  // namespace

bool CInstaller::IsPathInstalled(const std::wstring& path) const { return m_installedPaths.count(path) != 0; }

void CInstaller::SetPathInstalled(const std::wstring& path) { m_installedPaths.emplace(path, nullptr); }

bool CInstaller::IsStaged(int disc, const std::wstring& fullFolder) const
{
    return IsPathInstalled(StagedPathKey(disc, fullFolder));
}

void CInstaller::MarkStaged(int disc, const std::wstring& fullFolder)
{
    SetPathInstalled(StagedPathKey(disc, fullFolder));
}

std::wstring CInstaller::StagedPathKey(int disc, const std::wstring& fullFolder)
{
    // Upper case: the file system ignores case, so two spellings name one folder.
    return quen::Format(L"%d|%s", disc, quen::platform::ToUpper(CFileSystemObject::PathAddSlash(fullFolder)));
}

bool CInstaller::TouchesStagedPath(const std::wstring& fullFolder) const
{
    const std::wstring folder = quen::platform::ToUpper(CFileSystemObject::PathAddSlash(fullFolder));
    for (const auto& entry : m_installedPaths) {
        const std::wstring_view staged = FolderOf(entry.first);
        if (Holds(staged, folder) || Holds(folder, staged))
            return true;
    }
    return false;
}
