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
    module.SetDisc(3);
    EXPECT_EQ(CModuleInstaller(module).GetDisc(), -1);

    const CDataTable other = Record(L"Other", L"Modules\\Other");
    CModuleInstaller assigned(&other, nullptr);
    assigned = module;
    EXPECT_EQ(assigned.GetDisc(), 3);
    EXPECT_EQ(assigned.CustomerLabel(), L"Office");
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

TEST_F(ModuleRecord, ValidationNeedsEveryRequiredFieldAndNamesTheFirstEmptyOne)
{
    CDataTable record(L"modules[1]");
    for (const wchar_t* field : {IdfFields::PartID_Rel, IdfFields::InstallerType, IniFields::ReleaseName,
                                 IdfFields::ReleaseID_Rel, IdfFields::PathToRelease, IdfFields::MajorVersion,
                                 IdfFields::DetailedVersion, IdfFields::Baseplus, IdfFields::Temporary,
                                 IdfFields::Recoverable})
        record.SetField(field, L"x");
    CModuleInstaller module(&record, &m_installer);
    EXPECT_FALSE(Peer::IsValidModule(module));
    EXPECT_TRUE(LogContains(L"  >> Missing field: SetupFile"));
    record.SetField(IdfFields::SetupFile, L"x");
    EXPECT_FALSE(Peer::IsValidModule(module));
    record.SetField(IdfFields::PartType, L"Module");
    EXPECT_TRUE(Peer::IsValidModule(module));
}

TEST_F(ModuleRecord, DataModulesAreNotInstalledAndAnyOtherTypePasses)
{
    CDataTable record = Record(L"A", L"A");
    CModuleInstaller module(&record, &m_installer);
    for (const wchar_t* type : {L"Data", L"DATA", L"dAtA"}) {
        record.SetField(IdfFields::InstallerType, type);
        EXPECT_FALSE(Peer::ValidInstallType(module)) << type;
    }
    for (const wchar_t* type : {L"inf", L"Exe/Batch", L""}) {
        record.SetField(IdfFields::InstallerType, type);
        EXPECT_TRUE(Peer::ValidInstallType(module)) << type;
    }
    record.SetField(IdfFields::InstallerType, L"Exe/Batch");
    EXPECT_TRUE(Peer::InstallerTypeMatches(module, L"EXE/BATCH"));
}

}  // namespace
