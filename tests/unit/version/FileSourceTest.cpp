#include "fakes/TestMachine.h"
#include "unit/version/VersionChecks.h"

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
};

#define REQUIRE_PE_FILES()                                                                                  \
    if (!test::HavePeTestFiles())                                                                           \
    GTEST_SKIP() << "the build found no mingw-w64 windres and ld to make PE files with"

TEST_F(FileSource, MissingInputsGiveTheirCodesAndAnEmptyResult)
{
    std::wstring result = L"left over";
    EXPECT_EQ(VerifyVersion(nullptr, L"1.0", result), eNoVersionPath);
    EXPECT_EQ(result, L"");
    result = L"left over";
    EXPECT_EQ(VerifyVersion(L"C:\\app.dll", nullptr, result), eNoExpectedVersion);
    EXPECT_EQ(result, L"");
    test::ExpectVersionChecks({
        {L"", L"1.0", eNoVersionPath, L""},
        {Dir() + L"app.dll", L"", eNoExpectedVersion, L""},
        {Dir() + L"missing.dll", L"1.0", eVersionFileNotFound, L"FILE NOT FOUND"},
        {Dir(), L"1.0", eVersionFileNotFound},
    });
}

TEST_F(FileSource, ATextFileMatchesOnAnyWholeTrimmedUpperCasedLineInTheAnsiCodePage)
{
    WriteFile(Dir() + L"version.txt", "Quen Care\r\n  release 2.0b \r\nv3.1\rtail\n\nlast line without end");
    WriteFile(Dir() + L"long.txt", "r\xe9vision \x80 9\n" + std::string(3000, '4') + "\n");
    WriteFile(Dir() + L"empty.txt", "");
    WriteFile(Dir() + L"garbage.dll", std::string("MZ\0\0\xff\xff\xff\xff", 8) + std::string(100, '\x90'));
    // A version path longer than 255 characters is used whole.
    const std::wstring folder = Dir() + std::wstring(120, L'a') + L"\\" + std::wstring(120, L'b') + L"\\";
    WriteFile(folder + L"version.txt", "7.1\n");
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", folder);
    test::ExpectVersionChecks({
        {Dir() + L"version.txt", L"RELEASE 2.0B", eVersionPresent},
        {Dir() + L"version.txt", L"v3.1", eVersionPresent},
        {Dir() + L"version.txt", L"LAST LINE WITHOUT END", eVersionPresent},
        // What follows a carriage return inside a line is not part of it.
        {Dir() + L"version.txt", L"TAIL", eNoMatchingTextLine},
        {Dir() + L"version.txt", L"2.0B", eNoMatchingTextLine, L""},
        {Dir() + L"long.txt", L"R\u00c9VISION \u20ac 9", eVersionPresent},
        {Dir() + L"long.txt", std::wstring(3000, L'4'), eVersionPresent},
        {Dir() + L"long.txt", std::wstring(255, L'4'), eNoMatchingTextLine},  // a piece of a long line is not a line
        {Dir() + L"empty.txt", L"1.0", eNoMatchingTextLine},
        {Dir() + L"garbage.dll", L"1.0", eNoMatchingTextLine},
        {L"%QUEN_TEST_FOLDER%version.txt", L"7.1", eVersionPresent},
    });
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", L"");
}

TEST_F(FileSource, TheFileVersionMatchesExactlyOrWithoutTrailingZeroGroupsOrWithOtherSeparators)
{
    REQUIRE_PE_FILES();
    const std::wstring full = PeFile("version-1.2.3.4");
    const std::wstring shortened = PeFile("version-1.2.0.0");
    const std::wstring zero = PeFile("version-0.9.0.0");
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", Dir());
    test::ExpectVersionChecks({
        {full, L"1.2.3.4", eVersionPresent, L"1.2.3.4"},
        {full, L"v 1.2.3.4 ", eFileVersionDiffers},
        {full, L"9.8.7.6", eFileVersionDiffers, L"1.2.3.4"},  // the product version is not the file version
        {shortened, L"1.2", eVersionPresent, L"1.2.0.0"},
        {shortened, L"01.2.0", eVersionPresent},
        {shortened, L"1.20", eFileVersionDiffers},
        {PeFile("version-max"), L"65535.65535.65535.65535", eVersionPresent},
        {full, L"1, 2, 3, 4", eVersionPresent},
        {full, L"1_2_3_4", eVersionPresent},
        {full, L"1,2,3,5", eFileVersionDiffers},
        // A first component of zero is kept.
        {zero, L"0.9", eVersionPresent},
        {zero, L"00.9", eVersionPresent},
        {zero, L"0.9.0.0", eVersionPresent},
        {zero, L"9", eFileVersionDiffers},
        // Environment variables and enclosing quotes are resolved first.
        {L"\"%QUEN_TEST_FOLDER%VERSION-1.2.3.4.dll\"", L"1.2.3.4", eVersionPresent},
        {L"  %QUEN_TEST_FOLDER%version-1.2.3.4.dll\t", L"1.2.3.4", eVersionPresent},
        // Odd expected texts are compared, not trusted.
        {full, L"....", eFileVersionDiffers},
        {full, L" ", eFileVersionDiffers},
        {full, std::wstring(5000, L'1'), eFileVersionDiffers},
        {full, L"1.2.3.4" + std::wstring(3000, L'0'), eFileVersionDiffers, L"1.2.3.4"},
    });
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", L"");
}

TEST_F(FileSource, ADateDecidesByTheFilesLocalModificationDayAfterTheLines)
{
    const std::wstring file = Dir() + L"stamp.txt";
    WriteFile(file, "no version here\n");
    SetLocalModificationTime(file, 2021, 3, 15, 23, 30);
    test::ExpectVersionChecks({
        {file, L"3/15/2021", eVersionPresent, L"3/15/2021 23:30:0"},
        {file, L"03/15/2021 08:00:00", eVersionPresent},
        {file, L"2021-03-15", eVersionPresent},
        {file, L"3/16/2021", eFileVersionDiffers},
        {file, L"3/15/2022", eFileVersionDiffers},
        // Texts that are no date fall back to the line code.
        {file, L"13/45/2021", eNoMatchingTextLine},
        {file, L"2021-02-30", eNoMatchingTextLine},
        {file, L"3.15.2021", eNoMatchingTextLine},
    });
    // A matching line wins before the date is looked at.
    WriteFile(file, "3/16/2021\n");
    SetLocalModificationTime(file, 2021, 3, 15, 12, 0);
    test::ExpectVersionChecks({{file, L"3/16/2021", eVersionPresent, L""}});

    REQUIRE_PE_FILES();
    const std::wstring pe = PeFile("version-1.2.3.4");
    SetLocalModificationTime(pe, 2020, 12, 1, 9, 5);
    test::ExpectVersionChecks({
        {pe, L"12/1/2020", eVersionPresent, L"12/1/2020 9:5:0"},
        {pe, L"12/2/2020", eFileVersionDiffers},
    });
}

}  // namespace
}  // namespace quen
