#include "module/InstallRules.h"

#include <quen/ModuleInstaller.h>

#include "module/RecordPath.h"
#include "platform/Text.h"

namespace quen {
namespace {

using platform::EqualsNoCase;

constexpr wchar_t kSource[] = L".\\ModuleInstaller";

}  // namespace

EInstallMethod InstallMethodOf(const CDataTable& record)
{
    const std::wstring type = record[IdfFields::InstallerType];
    const std::wstring part = record[IdfFields::PartType];
    if (EqualsNoCase(type, L"Data"))
        return EInstallMethod::Skip;
    if (EqualsNoCase(part, L"Application") || EqualsNoCase(part, L"Driver"))
        return EqualsNoCase(type, L"INF") ? EInstallMethod::InfDriver : EInstallMethod::AppOrDriver;
    if (!EqualsNoCase(part, L"Module"))
        return EInstallMethod::None;
    if (EqualsNoCase(type, L"EXE/BATCH"))
        return EInstallMethod::ExeOrBatch;
    if (EqualsNoCase(type, L"FILE COPY"))
        return EInstallMethod::FileCopy;
    return EInstallMethod::None;
}

std::wstring FirstMissingField(const CDataTable& record)
{
    static const wchar_t* const required[] = {
        IdfFields::PartID_Rel,      IdfFields::InstallerType, IniFields::ReleaseName, IdfFields::ReleaseID_Rel,
        IdfFields::PathToRelease,   IdfFields::SetupFile,     IdfFields::MajorVersion, IdfFields::DetailedVersion,
        IdfFields::Baseplus,        IdfFields::Temporary,     IdfFields::Recoverable,  IdfFields::PartType,
    };
    for (const wchar_t* field : required) {
        if (record.GetFieldAsString(field, false).empty())
            return field;
    }
    return std::wstring();
}

std::wstring CheckedReleasePath(const CDataTable& record)
{
    const std::wstring path = record[IdfFields::PathToRelease];
    CheckRecordPath(path, IdfFields::PathToRelease, record.Label(), kSource, __LINE__);
    return path;
}

void CheckMethodPath(const CDataTable& record, EInstallMethod method)
{
    if (method == EInstallMethod::ExeOrBatch)
        CheckRecordPath(record[IdfFields::ReleaseID_Rel], IdfFields::ReleaseID_Rel, record.Label(), kSource, __LINE__);
    else if (method == EInstallMethod::InfDriver)
        CheckRecordPath(record.GetFieldAsString(IdfFields::CustomerLabel, true), IdfFields::CustomerLabel,
                        record.Label(), kSource, __LINE__);
}

std::wstring FindModulePackage(const std::wstring& folder)
{
    const CDirectory packages(folder, L"*.mod", false, false);
    return packages.GetFileCount() != 0 ? packages.GetFirstFile()->GetFullPath() : std::wstring();
}

void LoadStagedContents(const CDataTable& record, CDirectory& source)
{
    const std::wstring part = record[IdfFields::PartType];
    if (EqualsNoCase(part, L"Application") || EqualsNoCase(part, L"Driver")) {
        source.LoadContents(L"*.app");
    } else if (EqualsNoCase(part, L"Module")) {
        source.SetOptions(true, true);
        source.LoadContents(L"*");
    }
}

const CDataTable& ModuleAccess::Record(const CModuleInstaller& module) { return *module.m_record; }

bool ModuleAccess::NotStaged(const CModuleInstaller& module) { return module.m_notStaged; }

}  // namespace quen
