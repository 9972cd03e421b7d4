// The machine's own Program Files and System32 folders are written here, so
// these tests run only inside the Linux machine root.
#include "fakes/TestMachine.h"
#include "unit/version/VersionChecks.h"

#include <quen/VerifyVersion.h>

namespace quen {
namespace {

using OtherBitnessFolder = test::TestMachine;

TEST_F(OtherBitnessFolder, AFileMissingUnderOneProgramOrSystemFolderIsReadFromItsOtherBitnessTwin)
{
    WriteFile(L"C:\\Program Files (x86)\\Quen\\Care\\version.txt", "4.2\n");
    WriteFile(L"D:\\Program Files\\Quen\\version.txt", "4.2\n");
    WriteFile(L"C:\\Windows\\SysWOW64\\quen.txt", "1.1\n");
    WriteFile(L"C:\\Windows\\System32\\drivers\\quen.txt", "2.2\n");
    WriteFile(L"C:\\Data\\Program Files (x86)\\a.txt", "1.0\n");
    test::ExpectVersionChecks({
        {L"C:\\Program Files\\Quen\\Care\\version.txt", L"4.2", eVersionPresent},
        {L"%ProgramW6432%\\Quen\\Care\\version.txt", L"4.3", eNoMatchingTextLine},
        {L"D:\\Program Files (x86)\\Quen\\version.txt", L"4.2", eVersionPresent},
        {L"%SystemRoot%\\System32\\quen.txt", L"1.1", eVersionPresent},
        {L"C:\\Windows\\SysWOW64\\drivers\\quen.txt", L"2.2", eVersionPresent},
        {L"C:\\Program Files\\Quen\\none.txt", L"1.0", eVersionFileNotFound, L"FILE NOT FOUND"},
        // Only the folders at a drive's root swap.
        {L"C:\\Data\\Program Files\\a.txt", L"1.0", eVersionFileNotFound},
    });
}

}  // namespace
}  // namespace quen
