// A module installer over its record: copies, classification, and the checks
// that run before a module is installed.
#include "ModuleFixture.h"

#include <gtest/gtest.h>

namespace {

class ModuleRecord : public quen::test::ModuleFixture {};

TEST_F(ModuleRecord, ACopyStartsWithoutADiscWhileAnAssignedOneTakesIt)
{
    const CDataTable record = Record(L"Office", L"Modules\\Office");
    CModuleInstaller module(&record, &m_installer);
    EXPECT_EQ(module.GetDisc(), -1);
    module.SetDisc(3);

    const CModuleInstaller copy(module);
    EXPECT_EQ(copy.GetDisc(), -1);
    EXPECT_EQ(Peer::Module(copy), &record);
    EXPECT_EQ(Peer::Installer(copy), &m_installer);

    const CDataTable other = Record(L"Other", L"Modules\\Other");
    CModuleInstaller assigned(&other, nullptr);
    assigned = module;
    EXPECT_EQ(assigned.GetDisc(), 3);
    EXPECT_EQ(assigned.CustomerLabel(), L"Office");
    EXPECT_EQ(assigned.PathToRelease(), L"Modules\\Office");
}

TEST_F(ModuleRecord, FieldsAreReadFromTheRecordEachTime)
{
    CDataTable record = Record(L"Office", L"Modules\\Office");
    const CModuleInstaller module(&record, &m_installer);
    EXPECT_EQ(module.OS(), L"");
    record.SetField(IdfFields::OS, L"Win11");
    record.SetField(IdfFields::CustomerLabel, L"Office 2");
    EXPECT_EQ(module.OS(), L"Win11");
    EXPECT_EQ(module.CustomerLabel(), L"Office 2");
    EXPECT_EQ(Peer::ReleaseID(module), L"R-1");
    EXPECT_EQ(Peer::ReleaseName(module), L"Release");
    EXPECT_EQ(Peer::Recoverable(module), L"yes");
}

TEST_F(ModuleRecord, PartTypesCompareWithoutCaseButWithBlanks)
{
    for (const wchar_t* type : {L"Module", L"MODULE", L"module"}) {
        const CDataTable record = Record(L"A", L"A", type);
        EXPECT_TRUE(Peer::IsModule(CModuleInstaller(&record, &m_installer))) << type;
    }
    const CDataTable blank = Record(L"A", L"A", L" Module");
    EXPECT_FALSE(Peer::IsModule(CModuleInstaller(&blank, &m_installer)));

    const CDataTable driver = Record(L"A", L"A", L"dRiVeR");
    const CDataTable application = Record(L"A", L"A", L"APPLICATION");
    EXPECT_TRUE(Peer::IsDriver(CModuleInstaller(&driver, &m_installer)));
    EXPECT_TRUE(Peer::IsApplication(CModuleInstaller(&application, &m_installer)));
    EXPECT_FALSE(Peer::IsDriver(CModuleInstaller(&application, &m_installer)));
    EXPECT_EQ(Peer::PartType(CModuleInstaller(&application, &m_installer)), L"APPLICATION");
}

TEST_F(ModuleRecord, AMissingBooleanReadsFalseButBadDataPassesOn)
{
    CDataTable record = Record(L"A", L"A");
    record.SetField(IdfFields::Temporary, L"Yes");
    const CModuleInstaller module(&record, &m_installer);
    EXPECT_TRUE(Peer::IsTemporary(module));
    EXPECT_FALSE(Peer::IsOOBE(module));  // the record has no such field

    record.SetField(IdfFields::InstallAfterOOBE, L"maybe");
    EXPECT_THROW(Peer::IsOOBE(module), EDataException);

    // BasePlus reads bad data as false, and only bad data.
    record.SetField(IdfFields::Baseplus, L"maybe");
    EXPECT_FALSE(Peer::BasePlus(module));
    const CDataTable bare;
    EXPECT_THROW(Peer::BasePlus(CModuleInstaller(&bare, &m_installer)), ELibraryException);
}

TEST_F(ModuleRecord, ValidationNamesTheFirstEmptyRequiredField)
{
    CDataTable record = Record(L"A", L"A");
    CModuleInstaller module(&record, &m_installer);
    EXPECT_TRUE(Peer::IsValidModule(module));
    EXPECT_TRUE(LogContains(L"  << Module is valid."));

    record.SetField(IdfFields::Baseplus, L"");
    EXPECT_FALSE(Peer::IsValidModule(module));
    EXPECT_TRUE(LogContains(L"  >> Missing field: Baseplus"));

    CDataTable lacking(L"modules[1]");
    for (const wchar_t* field : {IdfFields::PartID_Rel, IdfFields::InstallerType, IniFields::ReleaseName,
                                 IdfFields::ReleaseID_Rel, IdfFields::PathToRelease})
        lacking.SetField(field, L"x");
    CModuleInstaller partial(&lacking, &m_installer);
    EXPECT_FALSE(Peer::IsValidModule(partial));
    EXPECT_TRUE(LogContains(L"  >> Missing field: SetupFile"));
    EXPECT_FALSE(LogContains(L"  >> Missing field: PartType"));
}

TEST_F(ModuleRecord, DataModulesAreNotInstalledAndAnyOtherTypePasses)
{
    CDataTable record = Record(L"A", L"A");
    CModuleInstaller module(&record, &m_installer);
    for (const wchar_t* type : {L"Data", L"DATA", L"dAtA"}) {
        record.SetField(IdfFields::InstallerType, type);
        EXPECT_FALSE(Peer::ValidInstallType(module)) << type;
    }
    EXPECT_TRUE(LogContains(L"Ignoring data install."));

    record.SetField(IdfFields::InstallerType, L"inf");
    EXPECT_TRUE(Peer::ValidInstallType(module));
    EXPECT_TRUE(LogContains(L"INF install OK."));

    record.SetField(IdfFields::InstallerType, L"Exe/Batch");
    EXPECT_TRUE(Peer::ValidInstallType(module));
    EXPECT_TRUE(LogContains(L"Checking install type Exe/Batch"));
    EXPECT_TRUE(Peer::InstallerTypeMatches(module, L"EXE/BATCH"));
    EXPECT_EQ(Peer::InstallerType(module), L"Exe/Batch");

    record.SetField(IdfFields::InstallerType, L"");
    EXPECT_TRUE(Peer::ValidInstallType(module));
}

}  // namespace
