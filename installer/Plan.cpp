// CInstaller: a dry run that lists the staging copy and what would fail,
// by the rules the run itself follows, and changes nothing.
#include <quen/CopyAppsAndDrivers.h>
#include <quen/Installer.h>
#include <quen/ModuleInstaller.h>
#include <quen/WIMFile.h>

#include "installer/CopyList.h"
#include "module/RecordPath.h"
#include "platform/Text.h"
#include "platform/Wimgapi.h"

#include <memory>

namespace {

constexpr wchar_t kSource[] = L".\\Installer";
constexpr std::size_t kBLIDLength = 10;

class Findings {
public:
    explicit Findings(InstallPlan& plan) : m_plan(plan) {}

    void Add(const std::wstring& label, const std::wstring& text)
    {
        m_plan.problems.push_back({label.empty() ? L"(no label)" : label, text});
    }

    // Runs a record-path check; false, with its message kept, when it fails.
    bool PathPasses(const std::wstring& label, const std::wstring& piece, const wchar_t* field,
                    const CDataTable& record)
    {
        try {
            quen::CheckRecordPath(piece, field, record.Label(), kSource, __LINE__);
            return true;
        } catch (const ELibraryException& e) {
            Add(label, e.Message());
            return false;
        }
    }

private:
    InstallPlan& m_plan;
};

}  // namespace

InstallPlan CInstaller::Plan(const std::wstring* mediaType, const CDataTableList& applications,
                             const CDataTableList& modules, const std::vector<std::wstring>& discRoots)
{
    if (m_backgroundOperation.IsRunning())
        throw ELibraryException(L"An installation is running on this installer.", kSource, __LINE__);
    if (!m_flagsSet)
        throw ELibraryException(L"You must call CInstaller::SetFlags() before calling CInstaller::Plan()!", kSource,
                                __LINE__);
    if (!m_pathsSet)
        throw ELibraryException(L"You must call CInstaller::SetPaths() before calling CInstaller::Plan()!", kSource,
                                __LINE__);
    InstallPlan plan;
    Findings findings(plan);
    // The foundation image and every module package are WIM files: without
    // the image library the run fails at the first of them.
    const std::wstring imageLibrary = quen::platform::WimLibraryProblem();
    if (!imageLibrary.empty())
        findings.Add(m_database.FoundationImage()[IdfFields::CustomerLabel], imageLibrary);

    std::vector<std::unique_ptr<CModuleInstaller>> owned;
    std::vector<CModuleInstaller*> apps;
    std::vector<CModuleInstaller*> mods;
    for (const auto* list : {&applications, &modules}) {
        for (auto record = list->BeginC(); record != list->EndC(); ++record) {
            owned.push_back(std::make_unique<CModuleInstaller>(*record, this));
            (list == &applications ? apps : mods).push_back(owned.back().get());
        }
    }

    // The checks PerformInstall and the staging copy make of each record.
    for (const auto& module : owned) {
        const CDataTable& record = *module->Module();
        const std::wstring label = module->CustomerLabel();
        const std::wstring missing = module->FirstMissingField();
        if (!missing.empty())
            findings.Add(label, L"the record lacks the field " + missing);
        findings.PathPasses(label, module->PathToRelease(), IdfFields::PathToRelease, record);
        if (module->IsModule() && module->InstallerTypeMatches(L"EXE/BATCH"))
            findings.PathPasses(label, module->ReleaseID(), IdfFields::ReleaseID_Rel, record);
        if (quen::platform::EqualsNoCase(record[IdfFields::InstallerType], L"INF"))
            findings.PathPasses(label, label, IdfFields::CustomerLabel, record);
    }

    CCopyList list;
    const std::wstring media = mediaType ? *mediaType : std::wstring();
    // A description that cannot be read, or a foundation image record
    // without the fields the list needs, stops the list as it would stop the
    // run: one more problem, named.
    try {
        CQuenHDRecoveryIni description;
        if (!m_hardDiskSource)
            description.Open(DescriptionPath());
        if (!ListCopies(description, media, apps, mods, list))
            findings.Add(m_database.FoundationImage()[IdfFields::CustomerLabel], L"Unable to find disc containing FI!");
    } catch (const EBaseException& e) {
        findings.Add(m_database.FoundationImage()[IdfFields::CustomerLabel], e.Message());
    }
    for (CModuleInstaller* module : mods) {
        if (module->m_notStaged)
            findings.Add(module->CustomerLabel(), L"no disc holds " + module->PathToRelease());
    }

    // Each entry looked for where the run would copy it from.
    const auto lookInto = [&](IModuleToCopy* entry) {
        const int disc = entry->GetDisc();
        plan.copies.push_back({entry->CustomerLabel(), entry->PathToRelease(), disc});
        std::wstring root = m_sourceDir;
        if (!m_hardDiskSource) {
            if (disc < 1 || static_cast<std::size_t>(disc) > discRoots.size())
                return;
            root = discRoots[static_cast<std::size_t>(disc) - 1];
        }
        root = CFileSystemObject::PathAddSlash(root);
        auto* module = dynamic_cast<CModuleInstaller*>(entry);
        if (!module) {
            const CDataTable& fi = m_database.FoundationImage();
            const std::wstring release = fi[IdfFields::PathToRelease];
            const std::wstring label = fi[IdfFields::CustomerLabel];
            if (!findings.PathPasses(label, release, IdfFields::PathToRelease, fi) ||
                !findings.PathPasses(label, fi[IdfFields::BLID].substr(0, kBLIDLength), IdfFields::BLID, fi))
                return;
            const std::wstring package =
                CFileSystemObject::PathAddSlash(root + release) + static_cast<CCopyAppsAndDrivers*>(entry)->AppFileName();
            if (!CFilename::Exists(package))
                findings.Add(label, L"FI app file not found: " + package);
            return;
        }
        const std::wstring label = module->CustomerLabel();
        if (!quen::IsSafeRecordPath(module->PathToRelease()))
            return;
        const std::wstring folder = root + module->PathToRelease();
        if (!CDirectory::Exists(folder)) {
            findings.Add(label, L"the release folder is missing: " + folder);
            return;
        }
        if (!module->IsModule() || !module->InstallerTypeMatches(L"EXE/BATCH"))
            return;
        const CDirectory packages(folder, L"*.mod", false, false);
        if (packages.GetFileCount() == 0) {
            findings.Add(label, L"no *.mod package in " + folder);
            return;
        }
        const std::wstring package = packages.GetFirstFile()->GetFullPath();
        std::wstring found;
        if (!CWIMFile::MatchsReleaseID(package.c_str(), module->ReleaseID().c_str(), found))
            findings.Add(label, found.empty() ? L"no release ID can be read from " + package
                                              : L"the package " + package + L" has release ID " + found +
                                                    L", the record " + module->ReleaseID());
    };
    // The bytes of every entry that can be looked into, against the free
    // space of the work area's volume as it is now.
    uint64_t needed = 0;
    for (IModuleToCopy* entry : list) {
        try {
            lookInto(entry);
        } catch (const EBaseException& e) {
            findings.Add(std::wstring(), e.Message());
        }
        const int disc = entry->GetDisc();
        try {
            if (m_hardDiskSource)
                needed += StagingBytes(*entry, m_sourceDir);
            else if (disc >= 1 && static_cast<std::size_t>(disc) <= discRoots.size())
                needed += StagingBytes(*entry, discRoots[static_cast<std::size_t>(disc) - 1]);
        } catch (const EBaseException&) {
            // A record path that fails its check, named among the problems.
        }
    }
    const std::wstring shortfall = StagingSpaceShortfall(needed);
    if (!shortfall.empty())
        findings.Add(L"work area", shortfall);
    return plan;
}
