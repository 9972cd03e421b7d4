#include <quen/InstallDB.h>

#include "fakes/Thrown.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CDataTable Record(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> fields)
{
    CDataTable record(L"modules[3] of C:\\Image\\image.json");
    for (const auto& [name, text] : fields)
        record.SetField(name, text);
    return record;
}

TEST(DataTable, FieldNamesMatchWithoutRegardToCaseAndAnAbsentFieldIsEmptyUnlessItMustExist)
{
    CDataTable record = Record({{L"PathToRelease", L"Modules\\Office"}, {L"OS", L""}});
    EXPECT_EQ(record[L"pathtorelease"], L"Modules\\Office");
    EXPECT_EQ(record[L"SetupFile"], L"");
    EXPECT_EQ(record.GetFieldAsString(L"os", true), L"");  // present but empty is not absent
    EXPECT_EQ(quen::test::ThrownMessage<EDataException>([&] { record.GetFieldAsString(L"SetupFile", true); }),
              L"Field \"SetupFile\" is missing from record modules[3] of C:\\Image\\image.json.");
    record.SetField(L"pathTOrelease", L"Apps");
    EXPECT_EQ(record[L"PathToRelease"], L"Apps");
    EXPECT_EQ(record.Label(), L"modules[3] of C:\\Image\\image.json");
    record.SetField(IdfFields::CustomerLabel, L"Office");
    EXPECT_EQ(record.Label(), L"\"Office\" (modules[3] of C:\\Image\\image.json)");
}

TEST(DataTable, BooleansAreTrueFalseYesNoOneZeroInAnyCaseAndAnythingElseIsBadData)
{
    for (const auto& [text, value] : {std::pair{L"TRUE", true}, {L"YeS", true}, {L"1", true}, {L"False", false},
                                      {L"no", false}, {L"0", false}})
        EXPECT_EQ(Record({{L"Baseplus", text}}).GetFieldAsBool(L"baseplus"), value) << text;

    for (const wchar_t* text : {L"", L" true", L"y", L"2", L"01", L"yess"}) {
        const CDataTable record = Record({{L"Temporary", text}});
        EXPECT_EQ(quen::test::ThrownMessage<EDataException>([&] { record.GetFieldAsBool(L"Temporary"); }),
                  std::wstring(L"Field \"Temporary\" of record modules[3] of C:\\Image\\image.json "
                               L"is not a boolean (true/false, yes/no, 1/0): \"") +
                      text + L"\".");
    }
}

TEST(DataTable, NumbersAreDecimalWithinTheSigned32BitRange)
{
    for (const auto& [text, value] : {std::pair{L"+7", 7}, {L"-5", -5}, {L"007", 7}, {L"2147483647", 2147483647},
                                      {L"-2147483648", -2147483647 - 1}})
        EXPECT_EQ(Record({{L"WaitForSetupDelay", text}}).GetFieldAsLong(L"WaitForSetupDelay"), value) << text;

    for (const wchar_t* text : {L"", L"-", L" 30", L"30 ", L"0x1F", L"1.5", L"2147483648", L"-2147483649",
                                L"99999999999999999999"})
        EXPECT_THROW(Record({{L"WaitForSetupDelay", text}}).GetFieldAsLong(L"WaitForSetupDelay"), EDataException)
            << testing::PrintToString(text);
    EXPECT_THROW(Record({}).GetFieldAsLong(L"WaitForSetupDelay"), ELibraryException);
}

}  // namespace
