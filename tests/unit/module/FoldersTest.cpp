// The module's folders below the installer's, and the look-up in its source.
#include "ModuleFixture.h"

#include <gtest/gtest.h>

namespace {

class ModuleFolders : public quen::test::ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        Configure();
    }
};

TEST_F(ModuleFolders, EachFolderIsTheInstallersFolderFollowedByTheReleasePath)
{
    CDataTable record = Record(L"Office", L"Modules\\Office");
    const CModuleInstaller module(&record, &m_installer);
    EXPECT_EQ(Peer::SourceDir(module), m_source + L"\\Modules\\Office");
    EXPECT_EQ(Peer::InstallsDir(module), WorkRoot() + L"Installs\\Modules\\Office");
    EXPECT_EQ(Peer::ExtractDir(module), WorkRoot() + L"Extracted\\Modules\\Office");
    EXPECT_EQ(Peer::WIMDir(module), WorkRoot() + L"WIMs\\");
    EXPECT_EQ(Peer::GetInstallSource(module), m_source + L"\\Modules\\Office");
    // A temporary module is read from the installs folder.
    record.SetField(IdfFields::Temporary, L"true");
    EXPECT_EQ(Peer::GetInstallSource(module), WorkRoot() + L"Installs\\Modules\\Office");
}

TEST_F(ModuleFolders, FindFirstMatchingGivesTheFirstMatchInNameOrderOrNothing)
{
    WriteFile(m_source + L"\\Modules\\Office\\b.mod", "b");
    WriteFile(m_source + L"\\Modules\\Office\\A.MOD", "a");
    WriteFile(m_source + L"\\Modules\\Office\\readme.txt", "r");
    const CDataTable record = Record(L"Office", L"Modules\\Office");
    const CModuleInstaller module(&record, &m_installer);
    EXPECT_EQ(Peer::FindFirstMatching(module, L"*.mod"), m_source + L"\\Modules\\Office\\A.MOD");
    EXPECT_EQ(Peer::FindFirstMatching(module, L"*.exe"), L"");
}

TEST_F(ModuleFolders, AReleasePathOutsideItsFolderIsRefusedNamingFieldAndModule)
{
    WriteFile(m_source + L"\\secret.mod", "s");
    const CDataTable record = Record(L"Office", L"..\\Source");
    const CModuleInstaller module(&record, &m_installer);
    try {
        Peer::InstallsDir(module);
        FAIL() << "no exception";
    } catch (const ELibraryException& e) {
        EXPECT_EQ(e.Message(), L"Field \"PathToRelease\" of record \"Office\" (modules[0] of C:\\Image\\image.json) "
                               L"must be a relative path below its folder (no drive, share, \".\", \"..\" or empty "
                               L"part): \"..\\Source\".");
    }
    EXPECT_THROW(Peer::SourceDir(module), ELibraryException);
    EXPECT_THROW(Peer::ExtractDir(module), ELibraryException);
    EXPECT_THROW(Peer::GetInstallSource(module), ELibraryException);
    EXPECT_THROW(Peer::FindFirstMatching(module, L"*.mod"), ELibraryException);
}

}  // namespace
