// CInstaller: whether what the staging copy copies fits in the work area's
// volume, checked before anything is copied.
#include <quen/CopyAppsAndDrivers.h>
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

#include "installer/CopyList.h"
#include "module/InstallRules.h"

#include "platform/DiskSpace.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <string>

namespace {

uint64_t FileBytes(const std::wstring& path)
{
    quen::platform::FileStatus status;
    return quen::platform::GetFileStatus(path, status) ? status.size : 0;
}

// The folder itself, else the nearest one above it that exists: a volume is
// asked about through a folder on it.
std::wstring ExistingFolder(std::wstring folder)
{
    while (!CDirectory::Exists(folder)) {
        const std::wstring parent = CDirectory::GetParentDirectory(folder);
        if (parent == folder)
            break;
        folder = parent;
    }
    return folder;
}

}  // namespace

uint64_t CInstaller::StagingBytes(IModuleToCopy& entry, const std::wstring& sourceRoot) const
{
    const std::wstring root = CFileSystemObject::PathAddSlash(sourceRoot);
    if (auto* module = dynamic_cast<CModuleInstaller*>(&entry)) {
        const CDataTable& record = quen::ModuleAccess::Record(*module);
        CDirectory source(root + quen::CheckedReleasePath(record));
        quen::LoadStagedContents(record, source);
        uint64_t bytes = 0;
        for (std::size_t i = 0; i < source.GetFileCount(); ++i)
            bytes += FileBytes(source[i].GetFullPath());
        return bytes;
    }
    if (auto* fi = dynamic_cast<CCopyAppsAndDrivers*>(&entry))
        return FileBytes(CFileSystemObject::PathAddSlash(root + fi->PathToRelease()) + fi->AppFileName());
    return 0;
}

std::wstring CInstaller::StagingSpaceShortfall(uint64_t needed) const
{
    const std::wstring volume = ExistingFolder(m_workRoot);
    uint64_t free = 0;
    if (!quen::platform::FreeDiskSpace(volume, free)) {
        quen::Log(eLogWarning) << L"Unable to read the free space of " << volume << L": " << GetLastErrorText();
        return std::wstring();
    }
    quen::Log(eLogInfo) << L"The staging copy needs " << needed << L" bytes; " << free << L" bytes are free in "
                        << volume << L".";
    if (needed <= free)
        return std::wstring();
    return L"Not enough space in " + m_workRoot + L" for the staging copy: it needs " + std::to_wstring(needed) +
           L" bytes, " + std::to_wstring(free) + L" bytes are free.";
}

void CInstaller::CheckStagingSpace(const CCopyList& list, std::size_t first)
{
    // The entries from `first` that come from the same source: the folder,
    // or the disc now in the drive (the others cannot be read yet).
    const int disc = list[first]->GetDisc();
    uint64_t needed = 0;
    for (std::size_t i = first; i < list.Size() && list[i]->GetDisc() == disc; ++i)
        needed += StagingBytes(*list[i], m_sourceDir);
    const std::wstring shortfall = StagingSpaceShortfall(needed);
    if (shortfall.empty())
        return;
    quen::Log(eLogError) << shortfall;
    EFileException failure(shortfall, L".\\Installer", __LINE__, EFileException::WriteFailed, m_workRoot);
    failure.SetErrorCode(quen::platform::err::DiskFull);
    throw failure;
}
