// The module's record in the registry, read back through the registry of the
// test's own machine.
#include "ModuleFixture.h"

#include <quen/OsServices.h>

#include <gtest/gtest.h>

namespace {

std::wstring Read(const std::wstring& key, const std::wstring& value)
{
    std::wstring text;
    CRegistry::GetString(ERegistryRoot::LocalMachine, key, value, text);
    return text;
}

class RegistryRecords : public quen::test::ModuleFixture {};

TEST_F(RegistryRecords, TheRecordKeepsFieldsAsWrittenEmptyOnesTooAndALaterRecordOfTheSameKeyWins)
{
    CDataTable first = Record(L"", L"Modules\\A");
    first.SetField(IniFields::VerCheckAfter, L"FILE");
    CModuleInstaller module(&first, &m_installer);
    Peer::WriteRegisteryKeys(module, L"Modules\\", nullptr);
    // An empty label leaves the blank before the part ID.
    const std::wstring key = L"SOFTWARE\\Quen Corporation\\Installed Software\\Modules\\ P100";
    EXPECT_EQ(Read(key, L"VersionCheckAfterInstallation"), L"FILE");
    EXPECT_EQ(Read(key, L"DetailedVersion"), L"1.2.3");
    EXPECT_EQ(Read(key, L"InstallMode"), L"Recovery");
    std::wstring empty = L"unread";
    EXPECT_TRUE(CRegistry::GetString(ERegistryRoot::LocalMachine, key, L"VersionPath", empty));
    EXPECT_EQ(empty, L"");

    CDataTable second = Record(L"", L"Modules\\B");
    second.SetField(IdfFields::DetailedVersion, L"2.0");
    second.SetField(IniFields::VersionPath, L"%PROGRAMFILES32%\\Office\\office.exe");
    CModuleInstaller later(&second, &m_installer);
    const std::wstring mode = L"Factory";
    Peer::WriteRegisteryKeys(later, L"Modules\\", &mode);
    EXPECT_EQ(Read(key, L"DetailedVersion"), L"2.0");
    EXPECT_EQ(Read(key, L"VersionPath"), L"%PROGRAMFILES32%\\Office\\office.exe");
    EXPECT_EQ(Read(key, L"InstallMode"), L"Factory");
}

}  // namespace
