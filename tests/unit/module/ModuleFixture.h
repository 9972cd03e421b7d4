// What the module tests share: a fresh machine with an installer and records.
#pragma once

#include <quen/Installer.h>
#include <quen/ModuleInstaller.h>

#include "fakes/TestMachine.h"
#include "platform/Paths.h"

#include <filesystem>
#include <string>

namespace quen::test {

class ModuleFixture : public WorkRootMachine {
protected:
    // The work-area folders as the installer's module installers see them.
    static const IModuleHost& Folders(const CInstaller& installer) { return installer; }

    // A record with every field a module must have.
    static CDataTable Record(const std::wstring& label, const std::wstring& releasePath,
                             const std::wstring& partType = L"Module")
    {
        CDataTable record = Unlabelled(releasePath, partType);
        record.SetField(IdfFields::CustomerLabel, label);
        return record;
    }

    // The same without a label, which a module need not have.
    static CDataTable Unlabelled(const std::wstring& releasePath, const std::wstring& partType = L"Module")
    {
        CDataTable record(L"modules[0] of C:\\Image\\image.json");
        const std::pair<const wchar_t*, std::wstring> fields[] = {
            {IdfFields::PartID_Rel, L"P100"},      {IdfFields::InstallerType, L"FILE COPY"},
            {IniFields::ReleaseName, L"Release"},  {IdfFields::ReleaseID_Rel, L"R-1"},
            {IdfFields::PathToRelease, releasePath}, {IdfFields::SetupFile, L"%PROGRAMFILES64%\\App"},
            {IdfFields::MajorVersion, L"1"},       {IdfFields::DetailedVersion, L"1.2.3"},
            {IdfFields::Baseplus, L"false"},       {IdfFields::Temporary, L"false"},
            {IdfFields::Recoverable, L"yes"},      {IdfFields::PartType, partType},
        };
        for (const auto& [field, text] : fields)
            record.SetField(field, text);
        return record;
    }

    // A hard-disk source below the scratch folder and a destination.
    void Configure(const std::wstring& destination = L"C:\\Target")
    {
        m_source = Dir() + L"Source";
        m_installer.SetFlags(true, false);
        m_installer.SetPaths(&m_source, &destination, nullptr, nullptr);
    }

    CInstallDB m_db{L"C:\\Image\\image.json", CDataTable(), CDataTable(), CDataTableList(), CDataTableList()};
    CInstaller m_installer{m_db};
    std::wstring m_source;
};

}  // namespace quen::test
