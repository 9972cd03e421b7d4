// Decrypt never copies a file onto itself, however the work folder names the
// file's own folder: the copy refuses what the folder test cannot see. And a
// copy it could not finish is never left behind.
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/Thrown.h"
#include "fakes/WimBytes.h"
#include "fakes/posix/FaultInjection.h"

#include <cerrno>

#include <filesystem>

namespace quen::test {
namespace {

using DecryptSpellingTest = TestMachine;

TEST_F(DecryptSpellingTest, AMappedDriveALinkOrAHardLinkToTheFileIsRefusedByTheCopy)
{
    std::string content = PlainHeader() + std::string(5000, 'w');
    content[0] = 'm';  // anything but the signature reads as scrambled
    const std::wstring path = Dir() + L"own\\app.wim";
    WriteFile(path, content);
    MapDrive(L'Q', Host(Dir() + L"own"));
    std::filesystem::create_directory_symlink(Host(Dir() + L"own"), Host(Dir()) / "link");
    std::filesystem::create_directories(Host(Dir()) / "work");
    std::filesystem::create_hard_link(Host(path), Host(Dir()) / "work" / "app.wim");

    for (const std::wstring& workDir : {std::wstring(L"Q:\\"), Dir() + L"link", Dir() + L"work"}) {
        EXPECT_THROW(CWIMFile::Decrypt(path.c_str(), workDir.c_str()), CFileException) << workDir;
        EXPECT_EQ(ReadFile(path), content);
    }
}

TEST_F(DecryptSpellingTest, ADecryptThatFailsAtAnyDiskChangeLeavesNoCopyInTheWorkFolder)
{
    WriteFile(Dir() + L"in\\app.wim", std::string(64, 'w'));
    const auto decrypt = [&] { return CWIMFile::Decrypt((Dir() + L"in\\app.wim").c_str(), Dir().c_str()); };
    ArmFileSystemFault(0, 0);
    const std::wstring copy = decrypt();
    const uint64_t steps = DisarmFileSystemFault();
    CFilename::Delete(copy);
    for (uint64_t failAt = 1; failAt <= steps; ++failAt) {
        ArmFileSystemFault(failAt, ENOSPC);
        const bool failed = Thrown<EBaseException>(decrypt).has_value();
        DisarmFileSystemFault();
        EXPECT_NE(std::filesystem::exists(Host(copy)), failed) << failAt;
    }
}

}  // namespace
}  // namespace quen::test
