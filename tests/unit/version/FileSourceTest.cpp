#include "fakes/PeFiles.h"
#include "fakes/TestMachine.h"

#include <quen/VerifyVersion.h>

#include "foundation/WideString.h"
#include "platform/Environment.h"

#include <chrono>
#include <ctime>
#include <filesystem>

namespace quen {
namespace {

class FileSource : public test::TestMachine {
protected:
    int32_t Verify(const std::wstring& path, const std::wstring& expected)
    {
        m_result = L"left over";
        return VerifyVersion(path.c_str(), expected.c_str(), m_result);
    }
    // A built PE file copied into the scratch folder; its Windows path.
    std::wstring PeFile(const std::string& name)
    {
        const std::wstring path = Dir() + FromUtf8Lossy(name) + L".dll";
        WriteFile(path, test::PeTestFile(name));
        return path;
    }
    // Sets a file's modification time to a local wall-clock time.
    void SetLocalModificationTime(const std::wstring& path, int year, int month, int day, int hour, int minute)
    {
        std::tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_isdst = -1;
        const auto moment = std::chrono::system_clock::from_time_t(std::mktime(&local));
        std::filesystem::last_write_time(Host(path), std::chrono::file_clock::from_sys(moment));
    }
    std::wstring m_result;
};

#define REQUIRE_PE_FILES()                                                                                  \
    if (!test::HavePeTestFiles())                                                                           \
    GTEST_SKIP() << "the build found no mingw-w64 windres and ld to make PE files with"

TEST_F(FileSource, MissingInputsGiveTheirCodesAndAnEmptyResult)
{
    EXPECT_EQ(Verify(L"", L"1.0"), eNoVersionPath);
    EXPECT_EQ(m_result, L"");
    m_result = L"left over";
    EXPECT_EQ(VerifyVersion(nullptr, L"1.0", m_result), eNoVersionPath);
    EXPECT_EQ(m_result, L"");
    EXPECT_EQ(Verify(Dir() + L"app.dll", L""), eNoExpectedVersion);
    EXPECT_EQ(m_result, L"");
    m_result = L"left over";
    EXPECT_EQ(VerifyVersion(L"C:\\app.dll", nullptr, m_result), eNoExpectedVersion);
    EXPECT_EQ(m_result, L"");
}

TEST_F(FileSource, AMissingFileOrAFolderIsNotFound)
{
    EXPECT_EQ(Verify(Dir() + L"missing.dll", L"1.0"), eVersionFileNotFound);
    EXPECT_EQ(m_result, L"FILE NOT FOUND");
    EXPECT_EQ(Verify(Dir(), L"1.0"), eVersionFileNotFound);
}

TEST_F(FileSource, TheFileVersionMatchesExactlyOrWithoutTrailingZeroGroups)
{
    REQUIRE_PE_FILES();
    const std::wstring full = PeFile("version-1.2.3.4");
    EXPECT_EQ(Verify(full, L"1.2.3.4"), eVersionPresent);
    EXPECT_EQ(m_result, L"1.2.3.4");
    EXPECT_EQ(Verify(full, L"v 1.2.3.4 "), eFileVersionDiffers);
    // The product version (9.8.7.6) is not the file version.
    EXPECT_EQ(Verify(full, L"9.8.7.6"), eFileVersionDiffers);
    EXPECT_EQ(m_result, L"1.2.3.4");

    const std::wstring shortened = PeFile("version-1.2.0.0");
    EXPECT_EQ(Verify(shortened, L"1.2"), eVersionPresent);
    EXPECT_EQ(m_result, L"1.2.0.0");
    EXPECT_EQ(Verify(shortened, L"01.2.0"), eVersionPresent);
    EXPECT_EQ(Verify(shortened, L"1.20"), eFileVersionDiffers);

    EXPECT_EQ(Verify(PeFile("version-max"), L"65535.65535.65535.65535"), eVersionPresent);
}

TEST_F(FileSource, AnExpectedVersionWithoutDotsMayUseOtherSeparators)
{
    REQUIRE_PE_FILES();
    const std::wstring file = PeFile("version-1.2.3.4");
    EXPECT_EQ(Verify(file, L"1, 2, 3, 4"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"1_2_3_4"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"1,2,3,5"), eFileVersionDiffers);
}

TEST_F(FileSource, AFirstComponentOfZeroIsKept)
{
    REQUIRE_PE_FILES();
    const std::wstring file = PeFile("version-0.9.0.0");
    EXPECT_EQ(Verify(file, L"0.9"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"00.9"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"0.9.0.0"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"9"), eFileVersionDiffers);
}

TEST_F(FileSource, EnvironmentVariablesAndEnclosingQuotesAreResolvedFirst)
{
    REQUIRE_PE_FILES();
    PeFile("version-1.2.3.4");
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", Dir());
    EXPECT_EQ(Verify(L"\"%QUEN_TEST_FOLDER%VERSION-1.2.3.4.dll\"", L"1.2.3.4"), eVersionPresent);
    EXPECT_EQ(Verify(L"  %QUEN_TEST_FOLDER%version-1.2.3.4.dll\t", L"1.2.3.4"), eVersionPresent);
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", L"");
}

TEST_F(FileSource, AVersionPathLongerThan255CharactersIsUsedWhole)
{
    const std::wstring folder = Dir() + std::wstring(120, L'a') + L"\\" + std::wstring(120, L'b') + L"\\";
    WriteFile(folder + L"version.txt", "7.1\n");
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", folder);
    EXPECT_EQ(Verify(L"%QUEN_TEST_FOLDER%version.txt", L"7.1"), eVersionPresent);
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", L"");
}

TEST_F(FileSource, OddExpectedTextsAreComparedNotTrusted)
{
    REQUIRE_PE_FILES();
    const std::wstring file = PeFile("version-1.2.3.4");
    EXPECT_EQ(Verify(file, L"...."), eFileVersionDiffers);
    EXPECT_EQ(Verify(file, L" "), eFileVersionDiffers);
    EXPECT_EQ(Verify(file, std::wstring(5000, L'1')), eFileVersionDiffers);
    EXPECT_EQ(Verify(file, L"1.2.3.4" + std::wstring(3000, L'0')), eFileVersionDiffers);
    EXPECT_EQ(m_result, L"1.2.3.4");
}

TEST_F(FileSource, ATextFileMatchesOnAnyTrimmedUpperCasedLine)
{
    const std::wstring file = Dir() + L"version.txt";
    WriteFile(file, "Quen Care\r\n  release 2.0b \r\nv3.1\rtail\n\nlast line without end");
    EXPECT_EQ(Verify(file, L"RELEASE 2.0B"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"v3.1"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"LAST LINE WITHOUT END"), eVersionPresent);
    // What follows a carriage return inside a line is not part of it.
    EXPECT_EQ(Verify(file, L"TAIL"), eNoMatchingTextLine);
    EXPECT_EQ(Verify(file, L"2.0B"), eNoMatchingTextLine);
    EXPECT_EQ(m_result, L"");
}

TEST_F(FileSource, TextFileLinesAreReadWholeInTheAnsiCodePage)
{
    const std::wstring file = Dir() + L"long.txt";
    const std::string longLine(3000, '4');
    WriteFile(file, "r\xe9vision \x80 9\n" + longLine + "\n");
    EXPECT_EQ(Verify(file, L"R\u00c9VISION \u20ac 9"), eVersionPresent);
    EXPECT_EQ(Verify(file, std::wstring(3000, L'4')), eVersionPresent);
    // A piece of a long line is not a line.
    EXPECT_EQ(Verify(file, std::wstring(255, L'4')), eNoMatchingTextLine);
}

TEST_F(FileSource, AnEmptyOrBinaryFileHasNoMatchingLine)
{
    WriteFile(Dir() + L"empty.txt", "");
    EXPECT_EQ(Verify(Dir() + L"empty.txt", L"1.0"), eNoMatchingTextLine);
    WriteFile(Dir() + L"garbage.dll", std::string("MZ\0\0\xff\xff\xff\xff", 8) + std::string(100, '\x90'));
    EXPECT_EQ(Verify(Dir() + L"garbage.dll", L"1.0"), eNoMatchingTextLine);
}

TEST_F(FileSource, ADateDecidesByTheFilesLocalModificationDay)
{
    const std::wstring file = Dir() + L"stamp.txt";
    WriteFile(file, "no version here\n");
    SetLocalModificationTime(file, 2021, 3, 15, 23, 30);
    EXPECT_EQ(Verify(file, L"3/15/2021"), eVersionPresent);
    EXPECT_EQ(m_result, L"3/15/2021 23:30:0");
    EXPECT_EQ(Verify(file, L"03/15/2021 08:00:00"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"2021-03-15"), eVersionPresent);
    EXPECT_EQ(Verify(file, L"3/16/2021"), eFileVersionDiffers);
    EXPECT_EQ(Verify(file, L"3/15/2022"), eFileVersionDiffers);
    // A matching line wins before the date is looked at.
    WriteFile(file, "3/16/2021\n");
    SetLocalModificationTime(file, 2021, 3, 15, 12, 0);
    EXPECT_EQ(Verify(file, L"3/16/2021"), eVersionPresent);
    EXPECT_EQ(m_result, L"");
}

TEST_F(FileSource, AFileWithAVersionResourceIsCheckedByDateWhenTheExpectedTextIsADate)
{
    REQUIRE_PE_FILES();
    const std::wstring file = PeFile("version-1.2.3.4");
    SetLocalModificationTime(file, 2020, 12, 1, 9, 5);
    EXPECT_EQ(Verify(file, L"12/1/2020"), eVersionPresent);
    EXPECT_EQ(m_result, L"12/1/2020 9:5:0");
    EXPECT_EQ(Verify(file, L"12/2/2020"), eFileVersionDiffers);
}

TEST_F(FileSource, TextsThatAreNoDateFallBackToTheLineCode)
{
    const std::wstring file = Dir() + L"stamp.txt";
    WriteFile(file, "nothing\n");
    SetLocalModificationTime(file, 2021, 3, 15, 12, 0);
    EXPECT_EQ(Verify(file, L"13/45/2021"), eNoMatchingTextLine);
    EXPECT_EQ(Verify(file, L"2021-02-30"), eNoMatchingTextLine);
    EXPECT_EQ(Verify(file, L"3.15.2021"), eNoMatchingTextLine);
}

}  // namespace
}  // namespace quen
