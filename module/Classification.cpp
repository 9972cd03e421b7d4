// CModuleInstaller: what kind of module the record describes, and whether
// it can be installed.
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

#include "module/InstallRules.h"
#include "platform/Text.h"

namespace {

using quen::platform::EqualsNoCase;

// A missing boolean field (ELibraryException) reads as false; bad data
// (EDataException) passes on.
bool BoolOrFalse(const CDataTable& record, const wchar_t* field)
{
    try {
        return record.GetFieldAsBool(field);
    } catch (const ELibraryException&) {
        return false;
    }
}

}  // namespace

bool CModuleInstaller::IsOOBE() const { return BoolOrFalse(*Module(), IdfFields::InstallAfterOOBE); }

bool CModuleInstaller::IsTemporary() const { return BoolOrFalse(*Module(), IdfFields::Temporary); }

bool CModuleInstaller::BasePlus() const
{
    try {
        return Module()->GetFieldAsBool(IdfFields::Baseplus);
    } catch (const EDataException&) {
        return false;
    }
}

std::wstring CModuleInstaller::InstallerType() const { return (*Module())[IdfFields::InstallerType]; }

std::wstring CModuleInstaller::PartType() const { return (*Module())[IdfFields::PartType]; }

std::wstring CModuleInstaller::ReleaseID() const { return (*Module())[IdfFields::ReleaseID_Rel]; }

std::wstring CModuleInstaller::ReleaseName() const { return (*Module())[IniFields::ReleaseName]; }

std::wstring CModuleInstaller::Recoverable() const { return (*Module())[IdfFields::Recoverable]; }

bool CModuleInstaller::IsValidModule()
{
    quen::Log(eLogInfo) << L"IsValidModule()";
    const std::wstring missing = quen::FirstMissingField(*Module());
    if (!missing.empty()) {
        quen::Log(eLogError) << L"  >> Missing field: " << missing;
        return false;
    }
    quen::Log(eLogInfo) << L"  << Module is valid.";
    return true;
}

bool CModuleInstaller::ValidInstallType()
{
    const std::wstring type = InstallerType();
    if (quen::InstallMethodOf(*Module()) == quen::EInstallMethod::Skip) {
        quen::Log(eLogInfo) << L"Ignoring data install.";
        return false;
    }
    if (EqualsNoCase(type, L"INF")) {
        quen::Log(eLogInfo) << L"INF install OK.";
        return true;
    }
    quen::Log(eLogInfo) << L"Checking install type " << type;
    return true;
}
