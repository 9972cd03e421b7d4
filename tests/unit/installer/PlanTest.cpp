// The dry run: the copy list an installation would stage and the problems it
// would meet, found without touching the work area, the destination or the host.
#include "../module/ModuleFixture.h"
#include "fakes/RunHost.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using quen::test::RunHost;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class Plan : public quen::test::ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        Configure(Dir() + L"Target");
    }

    // Each problem as "label: text".
    static std::vector<std::wstring> Problems(const InstallPlan& plan)
    {
        std::vector<std::wstring> lines;
        for (const InstallPlanProblem& problem : plan.problems)
            lines.push_back(problem.label + L": " + problem.text);
        return lines;
    }
};

TEST_F(Plan, AFolderSourceListsEveryModuleAndEachProblemAndTheStagingSpaceWithoutTouchingAnything)
{
    WriteFile(m_source + L"\\Modules\\Tool\\tool.txt", "tool");
    fs::create_directories(Host(m_source + L"\\Modules\\Pack"));
    CDataTableList modules;
    modules.Add(Record(L"Tool", L"Modules\\Tool"));
    CDataTable pack = Record(L"Pack", L"Modules\\Pack");
    pack.SetField(IdfFields::InstallerType, L"EXE/BATCH");
    modules.Add(pack);
    CDataTable incomplete = Record(L"Incomplete", L"Modules\\Tool");
    incomplete.SetField(IdfFields::DetailedVersion, L"");
    modules.Add(incomplete);
    modules.Add(Record(L"Gone", L"Modules\\Gone"));
    modules.Add(Record(L"Hostile", L"..\\Outside"));
    // No method of a module uses its label as a folder, whatever its type.
    CDataTable inf = Record(L"..\\Inf", L"Modules\\Tool");
    inf.SetField(IdfFields::InstallerType, L"INF");
    modules.Add(inf);
    RunHost host(m_installer);

    const quen::test::ScopedFreeSpace nearlyFull(3);
    const std::wstring media = L"QRD";
    const InstallPlan plan = m_installer.Plan(&media, CDataTableList(), modules);

    ASSERT_EQ(plan.copies.size(), 6u);
    EXPECT_EQ(plan.copies[1].label, L"Pack");
    EXPECT_EQ(plan.copies[1].disc, -1);
    const std::vector<std::wstring> problems = Problems(plan);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0], L"Incomplete: the record lacks the field DetailedVersion");
    EXPECT_THAT(problems[1], HasSubstr(L"Hostile: Field \"PathToRelease\""));
    EXPECT_EQ(problems[2], L"Pack: no *.mod package in " + m_source + L"\\Modules\\Pack");
    EXPECT_EQ(problems[3], L"Gone: the release folder is missing: " + m_source + L"\\Modules\\Gone");
    EXPECT_THAT(problems[4], HasSubstr(L"it needs 12 bytes, 3 bytes are free"));
    EXPECT_THAT(host.Events(), IsEmpty());
    EXPECT_FALSE(fs::exists(Host(WorkRoot())));
    EXPECT_FALSE(fs::exists(Host(Dir() + L"Target")));
}

}  // namespace
