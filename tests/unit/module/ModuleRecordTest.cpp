// A module record's install method and the fields it must carry.
#include "ModuleFixture.h"
#include "module/InstallRules.h"

#include <gtest/gtest.h>

namespace {

class ModuleRecord : public quen::test::ModuleFixture {};

TEST_F(ModuleRecord, TheInstallMethodFollowsPartAndInstallerTypeComparedWithoutCaseButWithBlanks)
{
    using quen::EInstallMethod;
    const struct {
        const wchar_t* part;
        const wchar_t* type;
        EInstallMethod method;
    } cases[] = {
        {L"Module", L"FILE COPY", EInstallMethod::FileCopy},
        {L"MODULE", L"file copy", EInstallMethod::FileCopy},
        {L"module", L"Exe/Batch", EInstallMethod::ExeOrBatch},
        {L" Module", L"FILE COPY", EInstallMethod::None},
        {L"Module", L"INF", EInstallMethod::None},
        {L"Module", L"", EInstallMethod::None},
        {L"Firmware", L"FILE COPY", EInstallMethod::None},
        {L"dRiVeR", L"INF", EInstallMethod::InfDriver},
        {L"APPLICATION", L"inf", EInstallMethod::InfDriver},
        {L"Application", L"EXE/BATCH", EInstallMethod::AppOrDriver},
        {L"Driver", L"FILE COPY", EInstallMethod::AppOrDriver},
        {L"Application", L"DATA", EInstallMethod::Skip},
        {L"Module", L"dAtA", EInstallMethod::Skip},
    };
    for (const auto& c : cases) {
        CDataTable record = Record(L"A", L"A", c.part);
        record.SetField(IdfFields::InstallerType, c.type);
        EXPECT_EQ(quen::InstallMethodOf(record), c.method) << c.part << L" / " << c.type;
    }
}

TEST_F(ModuleRecord, ValidationNeedsEveryRequiredFieldAndNamesTheFirstEmptyOne)
{
    CDataTable record(L"modules[1]");
    for (const wchar_t* field : {IdfFields::PartID_Rel, IdfFields::InstallerType, IniFields::ReleaseName,
                                 IdfFields::ReleaseID_Rel, IdfFields::PathToRelease, IdfFields::MajorVersion,
                                 IdfFields::DetailedVersion, IdfFields::Baseplus, IdfFields::Temporary,
                                 IdfFields::Recoverable})
        record.SetField(field, L"x");
    EXPECT_EQ(quen::FirstMissingField(record), L"SetupFile");
    record.SetField(IdfFields::SetupFile, L"x");
    EXPECT_EQ(quen::FirstMissingField(record), L"PartType");
    record.SetField(IdfFields::PartType, L"Module");
    EXPECT_EQ(quen::FirstMissingField(record), L"");
}

}  // namespace
