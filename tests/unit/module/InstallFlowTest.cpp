// Installing one module where a whole run does not look: an invalid record,
// the driver store, failing and stopped setup programs, the command
// interpreter, and the in-box marker of a temporary module.
#include "InstallFixture.h"
#include "fakes/Thrown.h"

#include <gmock/gmock.h>

#include "platform/Process.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class InstallFlow : public quen::test::InstallFixture {
protected:
    // A record of `partType` whose setup file `setupFile` waits in its
    // folder of the unpacked package.
    CDataTable Packaged(const std::wstring& label, const std::wstring& partType, const std::wstring& setupFile,
                        const std::string& script)
    {
        CDataTable record = Record(label, L"Apps\\" + label, partType);
        record.SetField(IdfFields::InstallerType, L"EXE/BATCH");
        record.SetField(IdfFields::SetupFile, setupFile);
        WriteFile(ExtractRoot() + L"Apps\\" + label + L"\\" + setupFile, script);
        return record;
    }

    // A batch file that runs the test program as a child with each of `runs`.
    static std::string ChildScript(std::initializer_list<const char*> runs)
    {
        std::string script;
        for (const char* run : runs)
            script += "\"" + quen::platform::RunningProgramPath().string() + "\" --quen-child " + run + "\n";
        return script;
    }
};

TEST_F(InstallFlow, AnInvalidRecordThrowsBeforeAnyEventOrRegistryRecord)
{
    CDataTable record = Record(L"Tool", L"Modules\\Tool");
    record.SetField(IdfFields::SetupFile, L"");
    EXPECT_EQ(quen::test::ThrownMessage<ELibraryException>([&] { Install(record); }), L"This is an invalid module.");
    EXPECT_THAT(Statuses(), IsEmpty());
    EXPECT_EQ(RecordValue(L"Tool P100", L"InstallMode"), L"");
}

TEST_F(InstallFlow, AnInfDriverIsCopiedIntoTheDriverStoreWithoutEmptyingItsFolderUnlessItsLabelLeavesTheStore)
{
    // The Windows directory as the system spells it (C:\windows under Wine).
    const std::wstring drivers = quen::platform::WindowsDir() + L"\\Drivers\\";
    WriteFile(drivers + L"Inf\\QuenTestDriver\\old.txt", "old");
    WriteFile(ExtractRoot() + L"Drivers\\Net\\x64\\net.sys", "sys");
    const auto driver = [](const std::wstring& label, const std::wstring& releasePath) {
        CDataTable record = Record(label, releasePath, L"Driver");
        record.SetField(IdfFields::InstallerType, L"INF");
        return record;
    };
    Install(driver(L"QuenTestDriver", L"Drivers\\Net"));
    EXPECT_EQ(ReadFile(drivers + L"Inf\\QuenTestDriver\\x64\\net.sys"), "sys");
    EXPECT_EQ(ReadFile(drivers + L"Inf\\QuenTestDriver\\old.txt"), "old");

    // A driver the package lacks: its store folder is made as always, the
    // record written, and nothing installed said.
    Install(driver(L"QuenTestMissing", L"Drivers\\Missing"));
    EXPECT_TRUE(fs::is_directory(Host(drivers + L"Inf\\QuenTestMissing")));
    EXPECT_EQ(RecordValue(L"QuenTestMissing P100", L"InstallMode"), L"Recovery");
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome QuenTestDriver 0", L"outcome QuenTestMissing 8"));

    EXPECT_THROW(Install(driver(L"..\\QuenEscape", L"Drivers\\Net")), ELibraryException);
    EXPECT_FALSE(fs::exists(Host(drivers + L"QuenEscape")));
    EXPECT_EQ(RecordValue(L"..\\QuenEscape P100", L"InstallMode"), L"");
    for (const wchar_t* folder : {L"Inf\\QuenTestDriver", L"Inf\\QuenTestMissing"})
        fs::remove_all(Host(drivers + folder));
}

TEST_F(InstallFlow, ASetupThatFailsOrCannotStartIsReportedWithItsCodeAndTheRecordIsStillWritten)
{
    // 1, the smallest failure, is a failure too.
    Install(Packaged(L"Office", L"Application", L"setup.bat", "exit 1\r\n"));
    Install(Packaged(L"Reader", L"application", L"setup.bat", "exit 0\r\n"));
    CDataTable nameless = Unlabelled(L"Apps\\Nameless", L"Application");
    nameless.SetField(IdfFields::SetupFile, L"absent.exe");
    Install(nameless);
    // A file-copy application installs as an application, and its version is still checked.
    CDataTable viewer = Packaged(L"Viewer", L"Application", L"setup.bat", "exit 3\r\n");
    viewer.SetField(IdfFields::InstallerType, L"file copy");
    viewer.SetField(IniFields::VersionPath, Dir() + L"absent.txt");
    viewer.SetField(IniFields::VerCheckAfter, L"1.0");
    Install(viewer);

    EXPECT_THAT(Failures(), ElementsAre(L"failed Office 1", L"failed  1001", L"failed Viewer 3"));
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Office 1 1", L"outcome Reader 0", L"outcome  1 1001",
                                        L"outcome Viewer 6 1"));
    EXPECT_EQ(RecordValue(L"Office P100", L"InstallMode"), L"Recovery");
    EXPECT_EQ(RecordValue(L"Reader P100", L"InstallMode"), L"Recovery");
}

TEST_F(InstallFlow, ASetupProgramPastItsTimeoutOrStoppedByCancelNowIsEndedAndReported)
{
    m_installer.SetSetupTimeout(1);
    Install(Packaged(L"Hangs", L"Application", L"setup.bat", ChildScript({"sleep 120"})));

    m_installer.SetSetupTimeout(0);
    std::thread user([this] {
        // Once the program runs, the user asks twice.
        while (!LogContains(L"[Waits] waiting"))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        m_installer.CancelNow();
    });
    Install(Packaged(L"Waits", L"Application", L"setup.bat", ChildScript({"say waiting now", "sleep 120"})));
    user.join();
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Hangs 9 1", L"outcome Waits 1 1223"));

    EXPECT_THAT(Failures(), ElementsAre(L"failed Hangs 1460", L"failed Waits 1223"));
}

TEST_F(InstallFlow, OnlyABatchSetupFileRunsThroughTheCommandInterpreter)
{
    Install(Packaged(L"Upper", L"Driver", L"SETUP.BAT", "exit 0\r\n"));
    EXPECT_TRUE(LogContains(L"iFlags: 0"));
    Install(Packaged(L"Script", L"Driver", L"absent.cmd", ""));
    EXPECT_TRUE(LogContains(L"iFlags: 1"));
}

TEST_F(InstallFlow, ATemporaryModuleAfterFirstBootMarksTheBoxUnlessSetupHasCompleted)
{
    const std::wstring box = L"SOFTWARE\\Quen Corporation\\HDDRecovery";
    CDataTable record = Record(L"Recovery Tool", L"Modules\\Tool");
    record.SetField(IdfFields::InstallerType, L"INF");
    record.SetField(IdfFields::Temporary, L"true");
    record.SetField(IdfFields::InstallAfterOOBE, L"yes");

    CRegistry::SetString(ERegistryRoot::LocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\State",
                         L"ImageState", L"image_state_complete");
    Install(record);
    std::wstring marker;
    EXPECT_FALSE(CRegistry::GetString(ERegistryRoot::LocalMachine, box, L"InBoxCD1", marker));

    CRegistry::SetString(ERegistryRoot::LocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\State",
                         L"ImageState", L"IMAGE_STATE_UNDEPLOYABLE");
    Install(record);
    EXPECT_TRUE(CRegistry::GetString(ERegistryRoot::LocalMachine, box, L"InBoxCD1", marker));
    EXPECT_EQ(marker, L"Recovery Tool");
}

}  // namespace
