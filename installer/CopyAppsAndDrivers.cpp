// CCopyAppsAndDrivers: the FI's entry of the copy list.
#include <quen/CopyAppsAndDrivers.h>
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "installer/AppPackage.h"
#include "installer/FIRecord.h"
#include "module/RecordPath.h"

namespace {

const wchar_t kSource[] = L".\\Installer";
constexpr std::size_t kBLIDLength = 10;

}  // namespace

std::wstring quen::AppPackageName(const CDataTable& fi) { return fi[IdfFields::BLID].substr(0, kBLIDLength) + L".app"; }

void quen::CheckFIPaths(const CDataTable& fi)
{
    CheckRecordPath(fi[IdfFields::PathToRelease], IdfFields::PathToRelease, fi.Label(), kSource, __LINE__);
    CheckRecordPath(fi[IdfFields::BLID].substr(0, kBLIDLength), IdfFields::BLID, fi.Label(), kSource, __LINE__);
}

CCopyAppsAndDrivers::CCopyAppsAndDrivers(CInstaller* installer) : m_installer(installer) {}

CCopyAppsAndDrivers::~CCopyAppsAndDrivers() = default;

int CCopyAppsAndDrivers::GetDisc() const { return m_disc; }

void CCopyAppsAndDrivers::SetDisc(int disc) { m_disc = disc; }

std::wstring CCopyAppsAndDrivers::PathToRelease() const
{
    return m_installer->m_database.FoundationImage().GetFieldAsString(IdfFields::PathToRelease, true);
}

std::wstring CCopyAppsAndDrivers::CustomerLabel() const
{
    return m_installer->m_database.FoundationImage().GetFieldAsString(IdfFields::CustomerLabel, true);
}

std::wstring CCopyAppsAndDrivers::OS() const
{
    return m_installer->m_database.FoundationImage().GetFieldAsString(IdfFields::OS, true);
}

std::wstring CCopyAppsAndDrivers::AppFileName() const
{
    return quen::AppPackageName(m_installer->m_database.FoundationImage());
}

std::wstring CCopyAppsAndDrivers::PathToFI() const
{
    return CFileSystemObject::PathAddSlash(m_installer->SourceDir()) + PathToRelease();
}

void CCopyAppsAndDrivers::CopyToInstallDir()
{
    quen::Log(eLogInfo) << L"CopyToInstallDir()";

    // Both pieces come from the record and name places on disk.
    const std::wstring release = PathToRelease();
    quen::CheckFIPaths(m_installer->m_database.FoundationImage());

    const std::wstring source = CFileSystemObject::PathAddSlash(PathToFI()) + AppFileName();
    const std::wstring destination = CFileSystemObject::PathAddSlash(m_installer->InstallsDir()) + release;
    quen::Log(eLogInfo) << L"      Source: " << source;
    quen::Log(eLogInfo) << L" Destination: " << destination;

    if (!CFilename::Exists(source)) {
        quen::Log(eLogError) << L"FI app file not found.";
        throw EFileException(L"FI app file not found.", kSource, __LINE__, EFileException::NotFound, source);
    }

    // Empty the folder of what an earlier run left, but never of a module
    // this run staged there or in a folder nested with it (on discs the FI
    // may come after modules of an earlier disc).
    const CDirectory target(destination);
    if (m_installer->TouchesStagedPath(target.GetFullPath()))
        target.Create();
    else
        target.EnsureEmptyDirExists();
    quen::CopyAndUnpackAppPackage(CFilename(source), target, m_installer->WIMDir(), m_installer->TempDir(),
                                  m_installer->ExtractDir());
}
