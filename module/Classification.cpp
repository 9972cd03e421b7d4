// CModuleInstaller: what kind of module the record describes, and whether
// it can be installed.
#include <quen/Logging.h>
#include <quen/ModuleInstaller.h>

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

bool CModuleInstaller::IsApplication() const { return EqualsNoCase(PartType(), L"Application"); }

bool CModuleInstaller::IsDriver() const { return EqualsNoCase(PartType(), L"Driver"); }

bool CModuleInstaller::IsModule() const { return EqualsNoCase(PartType(), L"Module"); }

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

bool CModuleInstaller::InstallerTypeMatches(const std::wstring& type) const
{
    return EqualsNoCase(InstallerType(), type);
}

std::wstring CModuleInstaller::PartType() const { return (*Module())[IdfFields::PartType]; }

std::wstring CModuleInstaller::ReleaseID() const { return (*Module())[IdfFields::ReleaseID_Rel]; }

std::wstring CModuleInstaller::ReleaseName() const { return (*Module())[IniFields::ReleaseName]; }

std::wstring CModuleInstaller::Recoverable() const { return (*Module())[IdfFields::Recoverable]; }

std::wstring CModuleInstaller::FirstMissingField() const
{
    static const wchar_t* const required[] = {
        IdfFields::PartID_Rel,      IdfFields::InstallerType, IniFields::ReleaseName, IdfFields::ReleaseID_Rel,
        IdfFields::PathToRelease,   IdfFields::SetupFile,     IdfFields::MajorVersion, IdfFields::DetailedVersion,
        IdfFields::Baseplus,        IdfFields::Temporary,     IdfFields::Recoverable,  IdfFields::PartType,
    };
    for (const wchar_t* field : required) {
        if (Module()->GetFieldAsString(field, false).empty())
            return field;
    }
    return std::wstring();
}

bool CModuleInstaller::IsValidModule()
{
    quen::Log(eLogInfo) << L"IsValidModule()";
    const std::wstring missing = FirstMissingField();
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
    if (EqualsNoCase(type, L"Data")) {
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
