#include <quen/Exceptions.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <class E>
E Coded(E e, uint32_t code)
{
    e.SetErrorCode(code);
    return e;
}

TEST(ExceptionText, ListsTheFilledFieldsOnePerLineWithTheCodeInDecimalAndHexAndTheFileKindsSentence)
{
    using File = EFileException;
    const std::pair<std::function<std::wstring()>, std::wstring> cases[] = {
        {[] { return EBaseException(L"A", L".\\WIMFile", 7).GetText(); },
         L"A\nErrorMessage: A\nSource: .\\WIMFile\nLine: 7"},
        {[] { return Coded(ELibraryException(L"A", L".\\Installer", 3), 5).GetText(); },
         L"A\nError: 5 (0x00000005)\nErrorMessage: A\nSource: .\\Installer\nLine: 3"},
        {[] { return Coded(EBaseException(L"", nullptr, 0), 0x80070002u).GetText(); },
         L"\nError: -2147024894 (0x80070002)"},
        {[] { return EBaseException(L"", L".\\Installer", 0).GetText(); }, L"\nSource: .\\Installer"},
        {[] { return EBaseException(nullptr, nullptr, 0).GetText(); }, L""},
        // The name is empty here: the sentence keeps its two blanks.
        {[] { return File(L"Missing", L".\\ModuleInstaller", 12, File::NotFound, L"D:\\x", L"").GetText(); },
         L"Missing\nErrorMessage: Missing\nSource: .\\ModuleInstaller\nLine: 12"
         L"\nThe file  doesn't exist in directory D:\\x."},
        {[] { return File(L"", nullptr, 0, File::OpenFailed, L"C:\\a.wim", nullptr).GetText(); },
         L"\nUnable to open file  in directory C:\\a.wim."},
        {[] { return File(L"", nullptr, 0, File::DeleteFailed, L"C:\\w", L"a.txt").GetText(); },
         L"\nUnable to delete file a.txt from directory C:\\w."},
        // Kinds outside zero to seven add no sentence.
        {[] { return File(L"M", nullptr, 0, 8, L"C:\\x", L"f").GetText(); }, L"M\nErrorMessage: M"},
        {[] { return File(L"M", nullptr, 0, -1, L"C:\\x", L"f").GetText(); }, L"M\nErrorMessage: M"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first(), cases[i].second) << "case " << i;
}

TEST(ExceptionText, IsComposedOnceAndCopiesKeepItButAnEmptyCompositionIsNotKept)
{
    ELibraryException e(L"first", L".\\Installer", 1);
    const std::wstring text = e.GetText();
    e.SetMessage(L"second");
    EXPECT_EQ(e.GetText(), text);
    EXPECT_EQ(ELibraryException(e).GetText(), text);

    EBaseException nothing(nullptr, nullptr, 0);
    EXPECT_EQ(nothing.GetText(), L"");
    nothing.SetMessage(L"late");
    EXPECT_EQ(nothing.GetText(), L"late\nErrorMessage: late");
}

}  // namespace
