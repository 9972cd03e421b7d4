#include <quen/Exceptions.h>

#include <gtest/gtest.h>

namespace {

TEST(ExceptionText, ListsMessageErrorMessageSourceAndLineOnFourLines)
{
    EBaseException e(L"A", L".\\WIMFile", 7);
    EXPECT_EQ(e.GetText(), L"A\nErrorMessage: A\nSource: .\\WIMFile\nLine: 7");
}

TEST(ExceptionText, ShowsErrorCodeInDecimalAndEightHexDigits)
{
    ELibraryException e(L"A", L".\\Installer", 3);
    e.SetErrorCode(5);
    EXPECT_EQ(e.GetText(), L"A\nError: 5 (0x00000005)\nErrorMessage: A\nSource: .\\Installer\nLine: 3");

    EBaseException high(L"", nullptr, 0);
    high.SetErrorCode(0x80070002u);
    EXPECT_EQ(high.GetText(), L"\nError: -2147024894 (0x80070002)");
}

TEST(ExceptionText, EmptyFieldsLeaveTheirLinesOutAndAllEmptyGivesEmptyText)
{
    EBaseException noMessage(L"", L".\\Installer", 0);
    EXPECT_EQ(noMessage.GetText(), L"\nSource: .\\Installer");

    EBaseException nothing(nullptr, nullptr, 0);
    EXPECT_EQ(nothing.GetText(), L"");
    // An empty composition is not kept: a later change shows.
    nothing.SetMessage(L"late");
    EXPECT_EQ(nothing.GetText(), L"late\nErrorMessage: late");
}

TEST(ExceptionText, FileExceptionAppendsKindSentenceWithTwoBlanksForTheEmptyName)
{
    EFileException e(L"Missing", L".\\ModuleInstaller", 12, EFileException::NotFound, L"D:\\x", L"");
    EXPECT_EQ(e.GetText(), L"Missing\nErrorMessage: Missing\nSource: .\\ModuleInstaller\nLine: 12"
                           L"\nThe file  doesn't exist in directory D:\\x.");

    EFileException open(L"", nullptr, 0, EFileException::OpenFailed, L"C:\\a.wim", nullptr);
    EXPECT_EQ(open.GetText(), L"\nUnable to open file  in directory C:\\a.wim.");

    // The last kind has its sentence too.
    EFileException removal(L"", nullptr, 0, EFileException::DeleteFailed, L"C:\\w", L"a.wim");
    EXPECT_EQ(removal.GetText(), L"\nUnable to delete file a.wim from directory C:\\w.");
}

TEST(ExceptionText, KindsOutsideZeroToSevenAddNoSentence)
{
    for (int kind : {static_cast<int>(EFileException::ImageApiFailed), 8, -1, 1000}) {
        EFileException e(L"M", nullptr, 0, kind, L"C:\\x", L"f");
        EXPECT_EQ(e.GetText(), L"M\nErrorMessage: M") << kind;
    }
}

TEST(ExceptionText, IsComposedOnceAndCopiesKeepIt)
{
    ELibraryException e(L"first", L".\\Installer", 1);
    const std::wstring text = e.GetText();
    e.SetMessage(L"second");
    EXPECT_EQ(e.GetText(), text);

    ELibraryException copy = e;
    EXPECT_EQ(copy.GetText(), text);

    ELibraryException fresh(L"x", nullptr, 9);
    ELibraryException freshCopy = fresh;  // copied before composition
    EXPECT_EQ(freshCopy.GetText(), fresh.GetText());
}

TEST(ExceptionText, ThrownFileExceptionIsCaughtAsLibraryAndBaseException)
{
    try {
        throw EFileException(L"m", L".\\WIMFile", 2, EFileException::BadPath, L"C:\\p", L"");
    } catch (const ELibraryException& e) {
        EXPECT_NE(e.GetText().find(L"Bad path for file  in directory C:\\p."), std::wstring::npos);
    }
}

TEST(ErrorText, KnownCodesHaveATextAndUnknownOnesAnEmptyOne)
{
    EXPECT_FALSE(GetErrorText(2).empty());
    EXPECT_FALSE(GetErrorText(5).empty());
    EXPECT_TRUE(GetErrorText(0x7FFFABCDu).empty());
}

}  // namespace
