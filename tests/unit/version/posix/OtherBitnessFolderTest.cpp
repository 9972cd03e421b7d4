// The machine's own Program Files and System32 folders are written here, so
// these tests run only inside the Linux machine root.
#include "fakes/TestMachine.h"

#include <quen/VerifyVersion.h>

namespace quen {
namespace {

class OtherBitnessFolder : public test::TestMachine {
protected:
    int32_t Verify(const std::wstring& path, const std::wstring& expected)
    {
        m_result = L"left over";
        return VerifyVersion(path.c_str(), expected.c_str(), m_result);
    }
    std::wstring m_result;
};

TEST_F(OtherBitnessFolder, AFileMissingUnderProgramFilesIsReadFromTheX86Folder)
{
    WriteFile(L"C:\\Program Files (x86)\\Quen\\Care\\version.txt", "4.2\n");
    EXPECT_EQ(Verify(L"C:\\Program Files\\Quen\\Care\\version.txt", L"4.2"), eVersionPresent);
    EXPECT_EQ(Verify(L"%ProgramW6432%\\Quen\\Care\\version.txt", L"4.3"), eNoMatchingTextLine);
}

TEST_F(OtherBitnessFolder, AFileMissingUnderTheX86FolderIsReadFromProgramFiles)
{
    WriteFile(L"D:\\Program Files\\Quen\\version.txt", "4.2\n");
    EXPECT_EQ(Verify(L"D:\\Program Files (x86)\\Quen\\version.txt", L"4.2"), eVersionPresent);
}

TEST_F(OtherBitnessFolder, System32AndSysWow64StandInForEachOther)
{
    WriteFile(L"C:\\Windows\\SysWOW64\\quen.txt", "1.1\n");
    WriteFile(L"C:\\Windows\\System32\\drivers\\quen.txt", "2.2\n");
    EXPECT_EQ(Verify(L"%SystemRoot%\\System32\\quen.txt", L"1.1"), eVersionPresent);
    EXPECT_EQ(Verify(L"C:\\Windows\\SysWOW64\\drivers\\quen.txt", L"2.2"), eVersionPresent);
}

TEST_F(OtherBitnessFolder, AFileInNeitherFolderIsNotFound)
{
    EXPECT_EQ(Verify(L"C:\\Program Files\\Quen\\none.txt", L"1.0"), eVersionFileNotFound);
    EXPECT_EQ(m_result, L"FILE NOT FOUND");
    // Only the folders at a drive's root swap.
    WriteFile(L"C:\\Data\\Program Files (x86)\\a.txt", "1.0\n");
    EXPECT_EQ(Verify(L"C:\\Data\\Program Files\\a.txt", L"1.0"), eVersionFileNotFound);
}

}  // namespace
}  // namespace quen
