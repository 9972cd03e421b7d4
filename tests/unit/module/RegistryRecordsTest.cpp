// The module's record in the registry and the Windows image state, read back
// through the registry of the test's own machine.
#include "ModuleFixture.h"

#include <quen/OsServices.h>

#include <gtest/gtest.h>

namespace {

const std::wstring kInstalled = L"SOFTWARE\\Quen Corporation\\Installed Software\\";

std::wstring Read(const std::wstring& key, const std::wstring& value)
{
    std::wstring text;
    CRegistry::GetString(ERegistryRoot::LocalMachine, key, value, text);
    return text;
}

bool Has(const std::wstring& key, const std::wstring& value)
{
    std::wstring text;
    return CRegistry::GetString(ERegistryRoot::LocalMachine, key, value, text);
}

class RegistryRecords : public quen::test::ModuleFixture {};

TEST_F(RegistryRecords, TheRecordKeepsVersionsAndPathsAsTheRecordWritesThem)
{
    CDataTable record = Record(L"Office", L"Modules\\Office");
    record.SetField(IniFields::VersionPath, L"%PROGRAMFILES32%\\Office\\office.exe");
    record.SetField(IniFields::VerCheckAfter, L"FILE");
    CModuleInstaller module(&record, &m_installer);
    Peer::WriteRegisteryKeys(module, L"Modules\\", nullptr);

    const std::wstring key = kInstalled + L"Modules\\Office P100";
    EXPECT_TRUE(LogContains(L"WriteRegistryKeys subKey: " + key));
    EXPECT_EQ(Read(key, L"VersionPath"), L"%PROGRAMFILES32%\\Office\\office.exe");
    EXPECT_EQ(Read(key, L"VersionCheckAfterInstallation"), L"FILE");
    EXPECT_EQ(Read(key, L"DetailedVersion"), L"1.2.3");
    EXPECT_EQ(Read(key, L"InstallMode"), L"Recovery");
}

TEST_F(RegistryRecords, AnEmptyLabelLeavesTheBlankAndALaterRecordOfTheSameKeyWins)
{
    CDataTable first = Record(L"", L"Modules\\A");
    CModuleInstaller module(&first, &m_installer);
    Peer::WriteRegisteryKeys(module, L"Modules\\", nullptr);
    const std::wstring key = kInstalled + L"Modules\\ P100";
    EXPECT_EQ(Read(key, L"DetailedVersion"), L"1.2.3");
    EXPECT_TRUE(Has(key, L"VersionPath"));  // empty fields are written empty
    EXPECT_EQ(Read(key, L"VersionPath"), L"");

    CDataTable second = Record(L"", L"Modules\\B");
    second.SetField(IdfFields::DetailedVersion, L"2.0");
    CModuleInstaller later(&second, &m_installer);
    const std::wstring mode = L"Factory";
    Peer::WriteRegisteryKeys(later, L"Modules\\", &mode);
    EXPECT_EQ(Read(key, L"DetailedVersion"), L"2.0");
    EXPECT_EQ(Read(key, L"InstallMode"), L"Factory");
}

TEST_F(RegistryRecords, TheImageStateReadsEmptyUntilWritten)
{
    CDataTable record = Record(L"Office", L"Modules\\Office");
    CModuleInstaller module(&record, &m_installer);
    EXPECT_EQ(Peer::GetImageState(module), L"");
    Peer::SetImageState(module, L"IMAGE_STATE_COMPLETE");
    EXPECT_EQ(Peer::GetImageState(module), L"IMAGE_STATE_COMPLETE");
    EXPECT_EQ(Read(L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\State", L"ImageState"),
              L"IMAGE_STATE_COMPLETE");

    Peer::LogInstallInRegistry(module);
    EXPECT_TRUE(LogContains(L"CModuleInstaller::LogInstallInRegistry() called, but not implemented!"));
}

}  // namespace
