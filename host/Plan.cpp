#include "Plan.h"

#include "DiscMarker.h"
#include "ExitCodes.h"
#include "Machine.h"
#include "Text.h"
#include "UserPaths.h"

#include <quen/InstallDB.h>
#include <quen/Installer.h>
#include <quen/Machine.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <algorithm>
#include <map>

namespace quen::host {
namespace {

// Each disc folder gets a drive of its own, from here on, skipping the
// database's, the source's and the destination's.
constexpr wchar_t kFirstDiscDrive = L'G';

std::vector<std::wstring> ReachDiscs(const std::vector<std::filesystem::path>& discs)
{
    std::vector<std::wstring> roots;
    wchar_t letter = kFirstDiscDrive;
    for (const auto& disc : discs) {
        while (letter == kDatabaseDrive || letter == kSourceDrive || letter == kDestinationDrive)
            ++letter;
        if (letter > L'Z')
            throw std::runtime_error("too many disc folders: at most 17 can be looked into");
        roots.push_back(Reach(letter++, disc));
    }
    return roots;
}

void PrintCopies(const InstallPlan& plan, const RunOptions& options)
{
    std::map<int, std::vector<const InstallPlanCopy*>> byDisc;
    for (const InstallPlanCopy& copy : plan.copies)
        byDisc[copy.disc].push_back(&copy);
    std::printf("Copy list (%zu entries):\n", plan.copies.size());
    for (const auto& [disc, copies] : byDisc) {
        if (disc < 0)
            std::printf("  From %s:\n", (options.source.empty() ? options.drive : options.source).string().c_str());
        else
            std::printf("  Disc %d (%s%d):\n", disc, options.mediaType.c_str(), disc);
        for (const InstallPlanCopy* copy : copies)
            std::printf("    %s  (%s)\n", Utf8(copy->label).c_str(), Utf8(copy->releasePath).c_str());
    }
}

// What the library's plan cannot see: whether the disc folders given are
// the discs the list needs, and whether the discs are described at all.
void CheckSource(InstallPlan& plan, const RunOptions& options, const CInstallDB& db, const std::wstring& databaseFolder)
{
    if (db.Applications().Size() == 0 && db.Modules().Size() == 0)
        plan.problems.push_back({L"Install database", L"it lists no applications and no modules"});
    if (!options.source.empty())
        return;
    // Where the run looks for the description: beside the database, or in
    // the folder above it.
    const std::wstring ini = CInstaller::StrQuenHdRcvIni;
    if (!std::filesystem::exists(HostPath(databaseFolder + ini)) &&
        !std::filesystem::exists(HostPath(databaseFolder + L"..\\" + ini)))
        plan.problems.push_back({L"Recovery-media description",
                                 ini + L" is missing: neither beside the database nor in the folder above it, so "
                                       L"no disc holds anything"});
    if (options.discs.empty())
        return;
    int needed = 0;
    for (const InstallPlanCopy& copy : plan.copies)
        needed = std::max(needed, copy.disc);
    if (static_cast<std::size_t>(needed) > options.discs.size())
        plan.problems.push_back({L"Discs", L"the copy list needs " + std::to_wstring(needed) + L" discs, " +
                                               std::to_wstring(options.discs.size()) + L" disc folders were given"});
    for (std::size_t i = 0; i < options.discs.size(); ++i) {
        const int disc = static_cast<int>(i) + 1;
        if (!HoldsMarker(options.discs[i], options.mediaType, disc))
            plan.problems.push_back({L"Disc " + std::to_wstring(disc),
                                     Wide(WrongDisc(options.discs[i], options.mediaType, disc))});
    }
}

void PrintJson(const InstallPlan& plan)
{
    nlohmann::ordered_json copies = nlohmann::ordered_json::array();
    for (const InstallPlanCopy& copy : plan.copies)
        copies.push_back({{"label", Utf8(copy.label)}, {"releasePath", Utf8(copy.releasePath)}, {"disc", copy.disc}});
    nlohmann::ordered_json problems = nlohmann::ordered_json::array();
    for (const InstallPlanProblem& problem : plan.problems)
        problems.push_back({{"label", Utf8(problem.label)}, {"text", Utf8(problem.text)}});
    const nlohmann::ordered_json document = {{"copies", copies}, {"problems", problems}};
    std::printf("%s\n", document.dump().c_str());
}

}  // namespace

int Plan(const RunOptions& options)
{
    PrepareMachine(options.machineRoot, false);
    const std::filesystem::path database = std::filesystem::absolute(options.database);
    const std::wstring databaseFolder = Reach(kDatabaseDrive, database.parent_path());
    CInstallDB db(databaseFolder + database.filename().wstring());

    std::vector<std::wstring> discRoots;
    std::wstring source;
    if (!options.discs.empty()) {
        discRoots = ReachDiscs(options.discs);
        source = discRoots.front();
    } else {
        source = Reach(kSourceDrive, options.source.empty() ? options.drive : options.source);
    }
    CInstaller installer(db);
    installer.SetFlags(!options.source.empty(), false);
    installer.SetPaths(&source, nullptr, nullptr, nullptr);
    const std::wstring media = Wide(options.mediaType);
    InstallPlan plan = installer.Plan(&media, db.Applications(), db.Modules(), discRoots);
    CheckSource(plan, options, db, databaseFolder);
    for (InstallPlanProblem& problem : plan.problems)
        problem.text = Wide(UserPaths(Utf8(problem.text)));

    if (options.json) {
        PrintJson(plan);
        return plan.problems.empty() ? kExitCompleted : kExitPlanProblems;
    }
    PrintCopies(plan, options);
    if (!options.drive.empty())
        std::printf("The discs of a drive are not looked into: only the list above is checked.\n");
    if (plan.problems.empty()) {
        std::printf("No problems found.\n");
        return kExitCompleted;
    }
    std::printf("Problems (%zu):\n", plan.problems.size());
    for (const InstallPlanProblem& problem : plan.problems)
        std::printf("  %s: %s\n", Utf8(problem.label).c_str(), Utf8(problem.text).c_str());
    return kExitPlanProblems;
}

}  // namespace quen::host
