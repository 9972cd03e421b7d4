// VerifyVersion over tables of paths and expected texts, each with its code and result.
#include "fakes/TestMachine.h"

#include <quen/VerifyVersion.h>

#include "platform/Environment.h"
#include "platform/Registry.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <sstream>

namespace quen {
namespace {

using platform::RegRoot;
using platform::RegView;

struct VersionCheck {
    std::wstring path;
    std::wstring expected;
    int32_t code;
    const wchar_t* result = nullptr;
};

void ExpectVersionChecks(const std::vector<VersionCheck>& checks)
{
    for (const VersionCheck& check : checks) {
        SCOPED_TRACE(testing::PrintToString(check.path.substr(0, 80) + L" " + check.expected.substr(0, 40)));
        std::wstring result = L"left over";
        EXPECT_EQ(VerifyVersion(check.path.c_str(), check.expected.c_str(), result), check.code);
        if (check.result) {
            EXPECT_EQ(result, check.result);
        }
    }
}

class FileSource : public test::TestMachine {
protected:
    // A built PE file copied into the scratch folder; its Windows path.
    std::wstring PeFile(const std::string& name)
    {
        const std::wstring path = Dir() + std::wstring(name.begin(), name.end()) + L".dll";
        WriteFile(path, test::PeTestFile(name));
        return path;
    }
    // Sets a file's modification time to a local wall-clock time, "YYYY-MM-DD hh:mm".
    void SetLocalModificationTime(const std::wstring& path, const char* time)
    {
        std::tm local{};
        std::istringstream(time) >> std::get_time(&local, "%Y-%m-%d %H:%M");
        local.tm_isdst = -1;
        const auto moment = std::chrono::system_clock::from_time_t(std::mktime(&local));
        std::filesystem::last_write_time(Host(path), std::chrono::file_clock::from_sys(moment));
    }
};

TEST_F(FileSource, ATextFileMatchesOnAnyWholeTrimmedUpperCasedLineAndMissingInputsGiveTheirCodes)
{
    std::wstring result = L"left over";
    EXPECT_EQ(VerifyVersion(nullptr, L"1.0", result), eNoVersionPath);
    EXPECT_EQ(VerifyVersion(L"C:\\app.dll", nullptr, result), eNoExpectedVersion);
    EXPECT_EQ(result, L"");
    WriteFile(Dir() + L"version.txt", "Quen Care\r\n  release 2.0b \r\nv3.1\rtail\n\nlast line without end");
    WriteFile(Dir() + L"long.txt", "r\xe9vision \x80 9\n" + std::string(3000, '4') + "\n");
    WriteFile(Dir() + L"garbage.dll", std::string("MZ\0\0\xff\xff\xff\xff", 8) + std::string(100, '\x90'));
    const std::wstring longPath = Dir() + std::wstring(120, L'a') + L"\\" + std::wstring(120, L'b') + L"\\v.txt";
    WriteFile(longPath, "7.1\n");
    ExpectVersionChecks({
        {Dir() + L"missing.dll", L"1.0", eVersionFileNotFound, L"FILE NOT FOUND"},
        {Dir(), L"1.0", eVersionFileNotFound},
        {Dir() + L"version.txt", L"RELEASE 2.0B", eVersionPresent},
        {Dir() + L"version.txt", L"LAST LINE WITHOUT END", eVersionPresent},
        // What follows a carriage return inside a line is not part of it.
        {Dir() + L"version.txt", L"TAIL", eNoMatchingTextLine},
        {Dir() + L"version.txt", L"2.0B", eNoMatchingTextLine, L""},
        {Dir() + L"long.txt", L"R\u00c9VISION \u20ac 9", eVersionPresent},  // the ANSI code page
        {Dir() + L"long.txt", std::wstring(3000, L'4'), eVersionPresent},
        {Dir() + L"long.txt", std::wstring(255, L'4'), eNoMatchingTextLine},  // a piece of a long line is not a line
        {Dir() + L"garbage.dll", L"1.0", eNoMatchingTextLine},
        {longPath, L"7.1", eVersionPresent},  // a path longer than 255 characters is used whole
    });
}

TEST_F(FileSource, TheFileVersionMatchesExactlyOrWithoutTrailingZeroGroupsOrWithOtherSeparatorsAndADateItsDay)
{
    if (!test::HavePeTestFiles())
        GTEST_SKIP() << "the build found no mingw-w64 windres and ld to make PE files with";
    const std::wstring full = PeFile("version-1.2.3.4");
    const std::wstring shortened = PeFile("version-1.2.0.0");
    const std::wstring zero = PeFile("version-0.9.0.0");
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", Dir());
    ExpectVersionChecks({
        {full, L"1.2.3.4", eVersionPresent, L"1.2.3.4"},
        {full, L"9.8.7.6", eFileVersionDiffers, L"1.2.3.4"},  // the product version is not the file version
        {shortened, L"01.2", eVersionPresent, L"1.2.0.0"},
        {PeFile("version-max"), L"65535.65535.65535.65535", eVersionPresent},
        {full, L"1, 2, 3, 4", eVersionPresent},
        // A first component of zero is kept.
        {zero, L"00.9", eVersionPresent},
        {zero, L"9", eFileVersionDiffers},
        // Environment variables and enclosing quotes are resolved first.
        {L"\"%QUEN_TEST_FOLDER%VERSION-1.2.3.4.dll\t\"", L"1.2.3.4", eVersionPresent},
    });
    platform::SetEnvVar(L"QUEN_TEST_FOLDER", L"");
    // A date is the file's modification day, whatever its version.
    SetLocalModificationTime(full, "2020-12-01 09:05");
    ExpectVersionChecks({{full, L"12/1/2020", eVersionPresent, L"12/1/2020 9:5:0"}});
}

TEST_F(FileSource, ADateDecidesByTheFilesLocalModificationDayAfterTheLines)
{
    const std::wstring file = Dir() + L"stamp.txt";
    WriteFile(file, "no version here\n");
    SetLocalModificationTime(file, "2021-03-15 23:30");
    ExpectVersionChecks({
        {file, L"03/15/2021 08:00:00", eVersionPresent, L"3/15/2021 23:30:0"},
        {file, L"3/16/2021", eFileVersionDiffers},
        {file, L"3/15/2022", eFileVersionDiffers},
        // Texts that are no date fall back to the line code.
        {file, L"2021-02-30", eNoMatchingTextLine},
    });
    // A matching line wins before the date is looked at.
    WriteFile(file, "3/16/2021\n");
    ExpectVersionChecks({{file, L"3/16/2021", eVersionPresent, L""}});
}

TEST_F(FileSource, AFileMissingUnderOneProgramOrSystemFolderIsReadFromItsOtherBitnessTwin)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "the machine's own Program Files and System32 folders are written only in a machine root";
    WriteFile(L"C:\\Program Files (x86)\\Quen\\Care\\version.txt", "4.2\n");
    WriteFile(L"D:\\Program Files\\Quen\\version.txt", "4.2\n");
    WriteFile(L"C:\\Windows\\System32\\drivers\\quen.txt", "2.2\n");
    WriteFile(L"C:\\Data\\Program Files (x86)\\a.txt", "1.0\n");
    ExpectVersionChecks({
        {L"C:\\Program Files\\Quen\\Care\\version.txt", L"4.2", eVersionPresent},
        {L"D:\\Program Files (x86)\\Quen\\version.txt", L"4.2", eVersionPresent},
        {L"C:\\Windows\\SysWOW64\\drivers\\quen.txt", L"2.2", eVersionPresent},
        // Only the folders at a drive's root swap.
        {L"C:\\Data\\Program Files\\a.txt", L"1.0", eVersionFileNotFound},
    });
}

const std::wstring kKey = L"SOFTWARE\\Quen Test\\Product";

void Write(const std::wstring& name, const platform::RegValue& value, RegView view = RegView::View64,
           const std::wstring& key = kKey, RegRoot root = RegRoot::LocalMachine)
{
    ASSERT_EQ(platform::RegWrite(root, key, name, view, value), 0u) << key << L"\\" << name;
}

using RegistrySource = test::TestMachine;

const std::wstring kHklm = L"HKLM\\" + kKey;

TEST_F(RegistrySource, EachKindOfValueMatchesByItsOwnRulesEachViewIsTriedAndEveryFailureHasItsOwnCode)
{
    Write(L"Marker", platform::RegDword(1), RegView::View32, kKey + L"\\2.1");
    Write(L"Marker", platform::RegDword(1), RegView::View32, kKey + L"\\10");
    Write(L"", platform::RegString(L"3.0"));
    platform::SetEnvVar(L"QUEN_TEST_BUILD", L"7");
    Write(L"Version", platform::RegString(L"v2.1 "));
    Write(L"Build", platform::RegString(L"2.%QUEN_TEST_BUILD%", platform::regtype::ExpandSz));
    Write(L"Small", platform::RegDword(0x1A));
    Write(L"AllBits", platform::RegDword(0xFFFFFFFF));
    Write(L"Wide", platform::RegQword(4));
    Write(L"Version", platform::RegString(L"5.5"), RegView::Native, L"Software\\Quen Test", RegRoot::CurrentUser);
    WriteFile(Dir() + L"HKUtils\\ChkUtil\\version.txt", "1.0\r\n");
    ExpectVersionChecks({
        {kHklm + L"\\2.1", L"2.1", eVersionPresent, L"2.1"},  // a key named like the version, in the 32-bit view
        // Leading and trailing zeros do not count for key names: 02.10 is 2.1 ...
        {L"HKEY_LOCAL_MACHINE\\" + kKey + L"\\2.1\\", L"02.10", eVersionPresent, L"2.1"},
        // ... but a whole number's trailing zeros do: 10 is not 1.
        {kHklm + L"\\10", L"1", eRegistryValueNotRead},
        {kHklm, L"3.0", eVersionPresent, L"3.0"},
        {kHklm + L"\\Version", L"V2.1", eVersionPresent, L"v2.1"},
        {kHklm + L"\\Build", L"2.7", eVersionPresent},
        {L"hklm\\" + kKey + L"\\build", L"2.%QUEN_TEST_BUILD%", eVersionPresent},  // the expected text expands too
        {kHklm + L"\\Small", L"001A", eVersionPresent, L"1A"},
        {kHklm + L"\\Small", L"26", eVersionPresent, L"1A"},
        // Decimal is unsigned: the expected text loses a minus sign when trimmed.
        {kHklm + L"\\AllBits", L"4294967295", eVersionPresent, L"FFFFFFFF"},
        {kHklm + L"\\AllBits", L"-1", eRegistryVersionDiffers},
        {L"HKCU\\Software\\Quen Test\\Version", L"5.5", eVersionPresent},  // the same key in both views
        // Leading quotes, blanks and backslashes do not hide a root.
        {L"\" \\HKLM\\" + kKey + L"\\Version\"", L"v2.1", eVersionPresent},
        {kHklm + L"\\Missing", L"4.0", eRegistryValueNotRead},
        {L"HKLM\\SOFTWARE\\Quen Test\\Nothing\\Here", L"4.0", eRegistryKeyNotOpened, L""},
        {kHklm + L"\\Wide", L"4", eUnsupportedRegistryValue},  // as every type but texts, DWORDs and bytes
        {L"HKLM", L"1.0", eRegistryPathWithoutKey},
        {L"HKLM\\SOFTWARE", L"1.0", eRegistryPathWithoutValueName},
        // HKEY_CLASSES_ROOT looks like a registry path but is not a root the check knows.
        {L"HKEY_CLASSES_ROOT\\.txt\\Content Type", L"1.0", eUnknownRegistryRoot},
        {L"HKDD\\PerfStats\\StatData\\Value", L"1.0", eRegistryKeyNotOpened},  // known, but nothing opens there
        // Only a root at the start makes a registry path, and HKCR is no short form.
        {L"HKCR\\.txt\\Content Type", L"1.0", eVersionFileNotFound, L"FILE NOT FOUND"},
        {Dir() + L"HKUtils\\ChkUtil\\version.txt", L"1.0", eVersionPresent},
        {L"HKLM2\\SOFTWARE\\Version", L"1.0", eVersionFileNotFound},
    });
    platform::SetEnvVar(L"QUEN_TEST_BUILD", L"");
}

}  // namespace
}  // namespace quen
