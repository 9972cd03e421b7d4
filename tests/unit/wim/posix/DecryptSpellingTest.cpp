// Decrypt never copies a file onto itself, however the work folder names the
// file's own folder: the copy refuses what the folder test cannot see.
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/WimBytes.h"

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

}  // namespace
}  // namespace quen::test
