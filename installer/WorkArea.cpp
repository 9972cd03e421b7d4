// CInstaller: preparing the work area below the Windows directory.
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "foundation/WideString.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

std::wstring FullFolder(const std::wstring& path)
{
    std::wstring full;
    if (path.empty() || !quen::platform::FullPath(path, full))
        return std::wstring();
    return CFileSystemObject::PathAddSlash(full);
}

// True when `folder` is `inner` or one of its ancestors.
bool Holds(const std::wstring& folder, const std::wstring& inner)
{
    return !folder.empty() && !inner.empty() && inner.size() >= folder.size() &&
           quen::platform::EqualsNoCase(std::wstring_view(inner).substr(0, folder.size()), folder);
}

bool IsRoot(const std::wstring& folder) { return CDirectory::GetParentDirectory(folder) == folder; }

}  // namespace

void CInstaller::ValidateDirectories()
{
    if (m_hardDiskSource && !CDirectory::Exists(m_sourceDir)) {
        throw ELibraryException(quen::Format(L"The source directory %s does not exist.", m_sourceDir),
                                L".\\Installer", __LINE__);
    }

    // The work area is emptied below: nothing staged there before is there now.
    m_installedPaths.clear();

    std::vector<std::wstring> folders{m_workRoot, m_installsDir};
    for (const std::wstring* folder : {&m_tempDir, &m_wimDir, &m_mountDir, &m_extractDir}) {
        if (!folder->empty())
            folders.push_back(*folder);
    }

    // The mount folder is the host's to choose and is emptied like the rest;
    // a drive root, or a folder that holds the Windows directory, the source
    // or the destination, would take the machine's data with it.
    const std::wstring mount = FullFolder(m_mountDir);
    const bool mountIsUnsafe =
        !mount.empty() && !Holds(FullFolder(m_workRoot), mount) &&
        (IsRoot(mount) || Holds(mount, FullFolder(COsServices::GetWindowsDirectoryW())) ||
         Holds(mount, FullFolder(m_sourceDir)) || Holds(mount, FullFolder(m_destDir)));

    for (const auto& folder : folders) {
        const bool unsafe = mountIsUnsafe && folder == m_mountDir;
        if (unsafe) {
            quen::Log(eLogError) << L"The mount directory " << folder
                                 << L" holds the Windows directory, the source or the destination; it is not emptied.";
        }
        if (!unsafe && CDirectory::EnsureEmptyDirExists(folder)) {
            CFilename(folder).SetHidden();
        } else {
            quen::Log(eLogError) << L"Unable to create or empty directory " << folder << L".";
        }
    }
}
