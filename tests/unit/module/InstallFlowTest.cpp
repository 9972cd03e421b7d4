// Installing one module: which method runs for which record, what a failing
// setup program reports, the registry record and version check that follow,
// and the in-box marker of a temporary module.
#include "InstallFixture.h"

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
    try {
        Install(record);
        FAIL() << "an invalid record installed";
    } catch (const ELibraryException& e) {
        EXPECT_EQ(e.Message(), L"This is an invalid module.");
    }
    EXPECT_THAT(Statuses(), IsEmpty());
    EXPECT_EQ(RecordValue(L"Tool P100", L"InstallMode"), L"");
}

TEST_F(InstallFlow, ADataModuleGetsNoEventNoInstallAndNoRecord)
{
    WriteFile(m_source + L"\\Modules\\Tool\\tool.txt", "tool");
    CDataTable record = Record(L"Tool", L"Modules\\Tool");
    record.SetField(IdfFields::InstallerType, L"data");
    record.SetField(IdfFields::SetupFile, Dir() + L"Target");
    Install(record);
    EXPECT_THAT(Statuses(), IsEmpty());
    EXPECT_FALSE(fs::exists(Host(Dir() + L"Target")));
    EXPECT_EQ(RecordValue(L"Tool P100", L"InstallMode"), L"");
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Tool 2"));
}

TEST_F(InstallFlow, AFileCopyModuleIsCopiedRecordedAndItsVersionChecked)
{
    WriteFile(m_source + L"\\Modules\\Tool\\bin\\tool.txt", "tool");
    WriteFile(m_source + L"\\Modules\\Tool\\version.txt", "1.2.3\r\n");
    CDataTable good = Record(L"Tool", L"Modules\\Tool");
    good.SetField(IdfFields::SetupFile, Dir() + L"Target");
    good.SetField(IniFields::VersionPath, Dir() + L"Target\\version.txt");
    good.SetField(IniFields::VerCheckAfter, L"1.2.3");
    Install(good);

    EXPECT_EQ(ReadFile(Dir() + L"Target\\bin\\tool.txt"), "tool");
    EXPECT_THAT(Statuses(), ElementsAre(L"status 2 Tool"));
    EXPECT_EQ(RecordValue(L"Tool P100", L"InstallMode"), L"Recovery");
    EXPECT_EQ(RecordValue(L"Tool P100", L"DetailedVersion"), L"1.2.3");

    // A version that is not there fails the module only: the record stays.
    CDataTable stale = good;
    stale.SetField(IdfFields::CustomerLabel, L"Stale");
    stale.SetField(IniFields::VerCheckAfter, L"9.9");
    Install(stale);
    EXPECT_EQ(RecordValue(L"Stale P100", L"InstallMode"), L"Recovery");
    EXPECT_THAT(Failures(), IsEmpty());

    // A version in the registry is read there, not below the destination.
    CRegistry::SetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Quen Test\\Tool", L"Version", L"1.2.3");
    CDataTable registered = good;
    registered.SetField(IdfFields::CustomerLabel, L"Registered");
    registered.SetField(IniFields::VersionPath, L"HKLM\\SOFTWARE\\Quen Test\\Tool\\Version");
    Install(registered);
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Tool 0", L"outcome Stale 6 4", L"outcome Registered 0"));
}

TEST_F(InstallFlow, FromDiscsAFileCopyModuleComesFromItsStagedFolderNotTheDrive)
{
    m_installer.SetFlags(false, false);
    WriteFile(Folders(m_installer).InstallsDir() + L"Modules\\Tool\\tool.txt", "staged");
    CDataTable record = Record(L"Tool", L"Modules\\Tool");
    record.SetField(IdfFields::SetupFile, Dir() + L"Target");
    Install(record);
    EXPECT_EQ(ReadFile(Dir() + L"Target\\tool.txt"), "staged");
}

TEST_F(InstallFlow, ModulesOfAnyOtherTypeFireOnceInstallNothingAreRecordedAndReportedNotInstalled)
{
    CDataTable inf = Record(L"Inf", L"Modules\\Inf");
    inf.SetField(IdfFields::InstallerType, L"INF");
    // A file-copy type outside Module: its version check finds nothing, but
    // nothing installed is what stands.
    CDataTable firmware = Record(L"Firmware", L"Modules\\Firmware", L"Firmware");
    firmware.SetField(IniFields::VersionPath, Dir() + L"Firmware\\version.txt");
    firmware.SetField(IniFields::VerCheckAfter, L"1.0");
    Install(inf);
    Install(firmware);

    EXPECT_THAT(Statuses(), ElementsAre(L"status 2 Inf", L"status 2 Firmware"));
    EXPECT_EQ(RecordValue(L"Inf P100", L"InstallMode"), L"Recovery");
    EXPECT_EQ(RecordValue(L"Firmware P100", L"InstallMode"), L"Recovery");
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Inf 8", L"outcome Firmware 8"));
}

TEST_F(InstallFlow, AnInfDriverIsCopiedIntoTheDriverStoreWithoutEmptyingItsFolderAndOneThePackageLacksIsNotInstalled)
{
    // The Windows directory as the system spells it (C:\windows under Wine).
    const std::wstring store = quen::platform::WindowsDir() + L"\\Drivers\\Inf\\QuenTestDriver";
    WriteFile(store + L"\\old.txt", "old");
    WriteFile(ExtractRoot() + L"Drivers\\Net\\net.inf", "inf");
    WriteFile(ExtractRoot() + L"Drivers\\Net\\x64\\net.sys", "sys");
    CDataTable record = Record(L"QuenTestDriver", L"Drivers\\Net", L"Driver");
    record.SetField(IdfFields::InstallerType, L"INF");
    Install(record);

    EXPECT_EQ(ReadFile(store + L"\\net.inf"), "inf");
    EXPECT_EQ(ReadFile(store + L"\\x64\\net.sys"), "sys");
    EXPECT_EQ(ReadFile(store + L"\\old.txt"), "old");
    EXPECT_THAT(Failures(), IsEmpty());
    fs::remove_all(Host(store));

    // A driver the package lacks: its store folder is made as always, the
    // record written, and nothing installed said.
    const std::wstring missingStore = quen::platform::WindowsDir() + L"\\Drivers\\Inf\\QuenTestMissing";
    CDataTable missing = Record(L"QuenTestMissing", L"Drivers\\Missing", L"Driver");
    missing.SetField(IdfFields::InstallerType, L"INF");
    Install(missing);
    EXPECT_TRUE(fs::is_directory(Host(missingStore)));
    EXPECT_EQ(RecordValue(L"QuenTestMissing P100", L"InstallMode"), L"Recovery");
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome QuenTestDriver 0", L"outcome QuenTestMissing 8"));
    fs::remove_all(Host(missingStore));
}

TEST_F(InstallFlow, AnInfDriverLabelThatLeavesTheDriverStoreIsRefusedBeforeAnyCopy)
{
    WriteFile(ExtractRoot() + L"Drivers\\Net\\net.inf", "inf");
    CDataTable record = Record(L"..\\QuenEscape", L"Drivers\\Net", L"Driver");
    record.SetField(IdfFields::InstallerType, L"INF");
    EXPECT_THROW(Install(record), ELibraryException);
    EXPECT_FALSE(fs::exists(Host(L"C:\\Windows\\Drivers\\QuenEscape")));
    EXPECT_EQ(RecordValue(L"..\\QuenEscape P100", L"InstallMode"), L"");
}

TEST_F(InstallFlow, AnApplicationSetupThatFailsIsReportedWithItsCodeAndTheRecordIsStillWritten)
{
    // 1, the smallest failure, is a failure too.
    Install(Packaged(L"Office", L"Application", L"setup.bat", "exit 1\r\n"));
    Install(Packaged(L"Reader", L"application", L"setup.bat", "exit 0\r\n"));

    EXPECT_THAT(Failures(), ElementsAre(L"failed Office 1"));
    EXPECT_THAT(Statuses(), ElementsAre(L"status 2 Office", L"status 2 Reader"));
    EXPECT_EQ(RecordValue(L"Office P100", L"InstallMode"), L"Recovery");
    EXPECT_EQ(RecordValue(L"Reader P100", L"InstallMode"), L"Recovery");
}

TEST_F(InstallFlow, ASetupProgramsOutputIsLoggedUnderTheModulesLabel)
{
    Install(Packaged(L"Office", L"Application", L"setup.bat", ChildScript({"say \"to output\" \"to error\""})));
    EXPECT_TRUE(LogContains(L"[Office] to output"));
    EXPECT_TRUE(LogContains(L"[Office] to error"));
    EXPECT_THAT(Failures(), IsEmpty());
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
    EXPECT_TRUE(m_installer.Cancelled());

    EXPECT_THAT(Failures(), ElementsAre(L"failed Hangs 1460", L"failed Waits 1223"));
}

TEST_F(InstallFlow, OnlyABatchSetupFileRunsThroughTheCommandInterpreter)
{
    Install(Packaged(L"Upper", L"Driver", L"SETUP.BAT", "exit 0\r\n"));
    EXPECT_TRUE(LogContains(L"iFlags: 0"));
    Install(Packaged(L"Script", L"Driver", L"absent.cmd", ""));
    EXPECT_TRUE(LogContains(L"iFlags: 1"));
}

TEST_F(InstallFlow, ASetupThatCannotStartIsReportedAs1001WithAnEmptyLabelWhenTheRecordHasNone)
{
    CDataTable record = Unlabelled(L"Apps\\Nameless", L"Application");
    record.SetField(IdfFields::SetupFile, L"absent.exe");
    Install(record);

    EXPECT_THAT(Failures(), ElementsAre(L"failed  1001"));
}

TEST_F(InstallFlow, AFileCopyApplicationIsInstalledAsAnApplicationAndItsVersionStillChecked)
{
    CDataTable record = Packaged(L"Viewer", L"Application", L"setup.bat", "exit 3\r\n");
    record.SetField(IdfFields::InstallerType, L"file copy");
    record.SetField(IniFields::VersionPath, Dir() + L"absent.txt");
    record.SetField(IniFields::VerCheckAfter, L"1.0");
    Install(record);
    EXPECT_THAT(Failures(), ElementsAre(L"failed Viewer 3"));
    EXPECT_THAT(Outcomes(), ElementsAre(L"outcome Viewer 6 1"));
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
    EXPECT_THAT(Statuses(), ElementsAre(L"status 2 Recovery Tool", L"status 2 Recovery Tool"));

    CRegistry::SetString(ERegistryRoot::LocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\State",
                         L"ImageState", L"IMAGE_STATE_UNDEPLOYABLE");
    Install(record);
    EXPECT_TRUE(CRegistry::GetString(ERegistryRoot::LocalMachine, box, L"InBoxCD1", marker));
    EXPECT_EQ(marker, L"Recovery Tool");
}

}  // namespace
