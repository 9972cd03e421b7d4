// Exe/batch modules on real WIM packages made with wimlib: the release-ID
// check, the unpacking, the setup script run with the record's arguments in
// its own folder, and what is reported when it fails or cannot start.
#include "../InstallFixture.h"
#include "fakes/posix/WimBuilder.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using quen::test::WimImage;
using ::testing::ElementsAre;

// Writes its arguments, one per line, its folder and the machine root beside
// itself, then exits with the code in the file "code" of its folder.
constexpr char kSetupScript[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$@\" > args.txt\n"
    "pwd > cwd.txt\n"
    "printf '%s' \"$QUEN_ROOT\" > root.txt\n"
    "exit $(cat code)\n";

class ExeOrBatch : public quen::test::InstallFixture {
protected:
    const std::wstring m_package = Folders(m_installer).InstallsDir() + L"Modules\\Tool\\tool.mod";
    const std::wstring m_target = Folders(m_installer).ExtractDir() + L"R-1";

    static WimImage Setup(const std::string& releaseId, const std::string& exitCode)
    {
        WimImage image;
        image.files = {{"setup.sh", kSetupScript}, {"code", exitCode}, {"data/readme.txt", "read me"}};
        if (!releaseId.empty())
            image.properties = {{"RELEASEID", releaseId}};
        return image;
    }

    void Package(const std::wstring& path, const WimImage& image) const
    {
        fs::create_directories(Host(path).parent_path());
        quen::test::WriteWim(Host(path), {image});
    }

    static CDataTable ToolRecord()
    {
        CDataTable record = Record(L"Tool", L"Modules\\Tool");
        record.SetField(IdfFields::InstallerType, L"exe/batch");
        record.SetField(IdfFields::SetupFile, L"setup.sh");
        record.SetField(IniFields::CmdLineArgs, L"/quiet \"C:\\Program Files\\Tool\" /log:C:\\tool.log");
        return record;
    }
};

TEST_F(ExeOrBatch, APackageIsUnpackedAndItsScriptRunsInItsFolderWithTheRecordsArguments)
{
    Package(m_package, Setup("r-1", "0"));
    Install(ToolRecord());

    EXPECT_EQ(ReadFile(m_target + L"\\data\\readme.txt"), "read me");
    EXPECT_EQ(ReadFile(m_target + L"\\args.txt"), "/quiet\nC:\\Program Files\\Tool\n/log:C:\\tool.log\n");
    const std::string cwd = ReadFile(m_target + L"\\cwd.txt");
    EXPECT_EQ(fs::path(cwd.substr(0, cwd.find('\n'))), fs::canonical(Host(m_target)));
    EXPECT_EQ(fs::path(ReadFile(m_target + L"\\root.txt")), HostRoot());
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Tool 0"));
    EXPECT_EQ(RecordValue(L"Tool P100", L"InstallMode"), L"Recovery");
}

TEST_F(ExeOrBatch, ASetupScriptThatFailsOrAWindowsProgramThatCannotStartHereIsReportedWithItsCode)
{
    WimImage image = Setup("R-1", "3");
    image.files.emplace_back("setup.exe", std::string("MZ\x90\0\3\0\0\0", 8));
    Package(m_package, image);
    Install(ToolRecord());
    CDataTable record = ToolRecord();
    record.SetField(IdfFields::SetupFile, L"setup.exe");
    Install(record);
    EXPECT_THAT(Failures(), ElementsAre(L"failed Tool 3", L"failed Tool 1001"));
}

TEST_F(ExeOrBatch, WithoutAPackageNothingIsInstalledAndOfSeveralTheFirstByNameIsUsed)
{
    Install(ToolRecord());
    Package(Folders(m_installer).InstallsDir() + L"Modules\\Tool\\b.mod", Setup("R-1", "5"));
    Package(Folders(m_installer).InstallsDir() + L"Modules\\Tool\\A.mod", Setup("R-1", "0"));
    Install(ToolRecord());
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Tool 3", L"outcome Tool 0"));
}

TEST_F(ExeOrBatch, AReleaseIdThatLeavesTheExtractFolderIsRefusedBeforeAnythingIsTouched)
{
    Package(m_package, Setup("..\\Installs", "0"));
    CDataTable record = ToolRecord();
    record.SetField(IdfFields::ReleaseID_Rel, L"..\\Installs");
    EXPECT_THROW(Install(record), ELibraryException);
    EXPECT_TRUE(fs::exists(Host(m_package)));
    EXPECT_THAT(Statuses(), ElementsAre(L"status 2 Tool"));
}

}  // namespace
