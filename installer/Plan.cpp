// CInstaller: a dry run that lists the staging copy and what would fail,
// by the rules the run itself follows, and changes nothing.
#include <quen/CopyAppsAndDrivers.h>
#include <quen/Installer.h>
#include <quen/ModuleInstaller.h>
#include <quen/WIMFile.h>

#include "installer/CopyList.h"
#include "installer/FIRecord.h"
#include "module/InstallRules.h"
#include "module/RecordPath.h"
#include "platform/Wimgapi.h"

#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr wchar_t kSource[] = L".\\Installer";

class Findings {
public:
    explicit Findings(InstallPlan& plan) : m_plan(plan) {}

    void Add(const std::wstring& label, const std::wstring& text)
    {
        m_plan.problems.push_back({label.empty() ? L"(no label)" : label, text});
    }

    // Runs one of the run's checks; false, with its message kept, when it
    // throws.
    bool Passes(const std::wstring& label, const std::function<void()>& check)
    {
        try {
            check();
            return true;
        } catch (const EBaseException& e) {
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
        const CDataTable& record = quen::ModuleAccess::Record(*module);
        const std::wstring label = module->CustomerLabel();
        const std::wstring missing = quen::FirstMissingField(record);
        if (!missing.empty())
            findings.Add(label, L"the record lacks the field " + missing);
        findings.Passes(label, [&] { quen::CheckedReleasePath(record); });
        findings.Passes(label, [&] { quen::CheckMethodPath(record, quen::InstallMethodOf(record)); });
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
        if (quen::ModuleAccess::NotStaged(*module))
            findings.Add(module->CustomerLabel(), L"no disc holds " + module->PathToRelease());
    }

    // The folder the run would copy an entry from; none for a disc that
    // cannot be looked into.
    const auto sourceOf = [&](int disc) -> std::optional<std::wstring> {
        if (m_hardDiskSource)
            return m_sourceDir;
        if (disc < 1 || static_cast<std::size_t>(disc) > discRoots.size())
            return std::nullopt;
        return discRoots[static_cast<std::size_t>(disc) - 1];
    };
    // Each entry looked for where the run would copy it from.
    const auto lookInto = [&](IModuleToCopy* entry, const std::wstring& source) {
        const std::wstring root = CFileSystemObject::PathAddSlash(source);
        auto* module = dynamic_cast<CModuleInstaller*>(entry);
        if (!module) {
            const CDataTable& fi = m_database.FoundationImage();
            const std::wstring label = fi[IdfFields::CustomerLabel];
            if (!findings.Passes(label, [&] { quen::CheckFIPaths(fi); }))
                return;
            const std::wstring package = CFileSystemObject::PathAddSlash(root + fi[IdfFields::PathToRelease]) +
                                         quen::AppPackageName(fi);
            if (!CFilename::Exists(package))
                findings.Add(label, L"FI app file not found: " + package);
            return;
        }
        const CDataTable& record = quen::ModuleAccess::Record(*module);
        const std::wstring label = module->CustomerLabel();
        if (!quen::IsSafeRecordPath(module->PathToRelease()))
            return;
        const std::wstring folder = root + module->PathToRelease();
        if (!CDirectory::Exists(folder)) {
            findings.Add(label, L"the release folder is missing: " + folder);
            return;
        }
        if (quen::InstallMethodOf(record) != quen::EInstallMethod::ExeOrBatch)
            return;
        const std::wstring package = quen::FindModulePackage(folder);
        if (package.empty()) {
            findings.Add(label, L"no *.mod package in " + folder);
            return;
        }
        const std::wstring releaseId = record[IdfFields::ReleaseID_Rel];
        std::wstring found;
        if (!CWIMFile::MatchsReleaseID(package.c_str(), releaseId.c_str(), found))
            findings.Add(label, found.empty() ? L"no release ID can be read from " + package
                                              : L"the package " + package + L" has release ID " + found +
                                                    L", the record " + releaseId);
    };
    // The bytes of every entry that can be looked into, against the free
    // space of the work area's volume as it is now.
    uint64_t needed = 0;
    for (IModuleToCopy* entry : list) {
        const std::optional<std::wstring> source = sourceOf(entry->GetDisc());
        try {
            plan.copies.push_back({entry->CustomerLabel(), entry->PathToRelease(), entry->GetDisc()});
            if (source)
                lookInto(entry, *source);
        } catch (const EBaseException& e) {
            findings.Add(std::wstring(), e.Message());
        }
        try {
            if (source)
                needed += StagingBytes(*entry, *source);
        } catch (const EBaseException&) {
            // A record path that fails its check, named among the problems.
        }
    }
    const std::wstring shortfall = StagingSpaceShortfall(needed);
    if (!shortfall.empty())
        findings.Add(L"work area", shortfall);
    return plan;
}
