#include <quen/InstallDB.h>

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

TEST(DataTable, FieldNamesMatchWithoutRegardToCase)
{
    const CDataTable record = Record({{L"PathToRelease", L"Modules\\Office"}});
    EXPECT_EQ(record[L"pathtorelease"], L"Modules\\Office");
    EXPECT_EQ(record[IdfFields::PathToRelease], L"Modules\\Office");
    EXPECT_TRUE(record.ContainsField(L"PATHTORELEASE"));
    EXPECT_EQ(record.GetFieldAsString(L"PathTORelease", true), L"Modules\\Office");
}

TEST(DataTable, AbsentFieldIsEmptyTextUnlessItMustExist)
{
    const CDataTable record = Record({{L"OS", L""}});
    EXPECT_EQ(record[L"SetupFile"], L"");
    EXPECT_FALSE(record.ContainsField(L"SetupFile"));
    EXPECT_EQ(record.GetFieldAsString(L"SetupFile", false), L"");
    // Present but empty is not absent.
    EXPECT_TRUE(record.ContainsField(L"OS"));
    EXPECT_EQ(record.GetFieldAsString(L"OS", true), L"");

    try {
        record.GetFieldAsString(L"SetupFile", true);
        FAIL() << "no exception";
    } catch (const EDataException& e) {
        EXPECT_EQ(e.Message(), L"Field \"SetupFile\" is missing from record modules[3] of C:\\Image\\image.json.");
    }
}

TEST(DataTable, SettingAFieldAgainReplacesItAndKeepsTheNewSpelling)
{
    CDataTable record = Record({{L"OS", L"Windows 10"}});
    record.SetField(L"os", L"Windows 11");
    EXPECT_EQ(record[L"OS"], L"Windows 11");
    record.SetField(L"Os", L"");
    EXPECT_TRUE(record.ContainsField(L"OS"));
    EXPECT_EQ(record[L"os"], L"");
}

TEST(DataTable, BooleansAcceptTrueFalseYesNoOneZeroInAnyCase)
{
    const std::vector<std::pair<const wchar_t*, bool>> table = {
        {L"true", true}, {L"TRUE", true}, {L"True", true}, {L"yes", true}, {L"YeS", true}, {L"1", true},
        {L"false", false}, {L"FALSE", false}, {L"no", false}, {L"No", false}, {L"0", false}};
    for (const auto& [text, value] : table) {
        const CDataTable record = Record({{L"Baseplus", text}});
        EXPECT_EQ(record.GetFieldAsBool(L"baseplus"), value) << text;
    }
}

TEST(DataTable, AnyOtherBooleanTextIsBadDataNamingFieldRecordAndText)
{
    for (const wchar_t* text : {L"", L" true", L"true ", L"y", L"n", L"2", L"01", L"on", L"yess"}) {
        const CDataTable record = Record({{L"Temporary", text}});
        try {
            record.GetFieldAsBool(L"Temporary");
            ADD_FAILURE() << "no exception for \"" << testing::PrintToString(text) << "\"";
        } catch (const EDataException& e) {
            EXPECT_EQ(e.Message(), std::wstring(L"Field \"Temporary\" of record modules[3] of C:\\Image\\image.json "
                                                L"is not a boolean (true/false, yes/no, 1/0): \"") +
                                       text + L"\".");
        }
    }
}

TEST(DataTable, AbsentBooleanIsALibraryErrorButBadTextIsNot)
{
    const CDataTable record = Record({{L"Baseplus", L"maybe"}});
    // The module installer reads a missing flag as false by catching
    // ELibraryException; bad data must get past that handler.
    EXPECT_THROW(record.GetFieldAsBool(IdfFields::InstallAfterOOBE), ELibraryException);
    bool passedLibraryHandler = false;
    try {
        try {
            record.GetFieldAsBool(IdfFields::Baseplus);
        } catch (const ELibraryException&) {
        }
    } catch (const EBaseException& e) {
        passedLibraryHandler = dynamic_cast<const EDataException*>(&e) != nullptr;
    }
    EXPECT_TRUE(passedLibraryHandler);
}

TEST(DataTable, NumbersAreDecimalWithinTheSigned32BitRange)
{
    const std::vector<std::pair<const wchar_t*, int32_t>> good = {
        {L"0", 0}, {L"30", 30}, {L"+7", 7}, {L"-5", -5}, {L"007", 7},
        {L"2147483647", 2147483647}, {L"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : good)
        EXPECT_EQ(Record({{L"WaitForSetupDelay", text}}).GetFieldAsLong(L"WaitForSetupDelay"), value) << text;

    for (const wchar_t* text : {L"", L"-", L"+", L" 30", L"30 ", L"3O", L"0x1F", L"1e3", L"1.5", L"2147483648",
                                L"-2147483649", L"99999999999999999999"}) {
        const CDataTable record = Record({{L"WaitForSetupDelay", text}});
        try {
            record.GetFieldAsLong(L"WaitForSetupDelay");
            ADD_FAILURE() << "no exception for " << testing::PrintToString(text);
        } catch (const EDataException& e) {
            EXPECT_NE(e.Message().find(L"is not a 32-bit number"), std::wstring::npos);
        }
    }
    EXPECT_THROW(Record({}).GetFieldAsLong(L"WaitForSetupDelay"), ELibraryException);
}

TEST(DataTable, LabelNamesCustomerLabelAndOriginWhicheverItHas)
{
    EXPECT_EQ(Record({{L"customerlabel", L"Office"}}).Label(),
              L"\"Office\" (modules[3] of C:\\Image\\image.json)");
    EXPECT_EQ(Record({{L"CustomerLabel", L""}}).Label(), L"modules[3] of C:\\Image\\image.json");

    CDataTable unnamed;
    EXPECT_EQ(unnamed.Label(), L"(unnamed)");
    unnamed.SetField(IdfFields::CustomerLabel, L"Office");
    EXPECT_EQ(unnamed.Label(), L"\"Office\"");
}

TEST(DataTableList, KeepsListOrderAndRecordAddresses)
{
    CDataTableList list;
    list.Add(Record({{L"CustomerLabel", L"first"}}));
    const CDataTable* first = *list.BeginC();
    for (int i = 0; i < 100; ++i)
        list.Add(Record({{L"CustomerLabel", L"later"}}));
    list.Add(Record({{L"CustomerLabel", L"last"}}));

    ASSERT_EQ(list.Size(), 102u);
    EXPECT_EQ(*list.BeginC(), first);
    EXPECT_EQ((*list.BeginC())->GetFieldAsString(L"CustomerLabel", true), L"first");
    EXPECT_EQ((*(list.EndC() - 1))->GetFieldAsString(L"CustomerLabel", true), L"last");

    CDataTableList moved(std::move(list));
    EXPECT_EQ(*moved.BeginC(), first);
}

}  // namespace
