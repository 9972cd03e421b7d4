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

constexpr char kKey[] = "Amber Lighthouse";

class DecryptSpellingTest : public TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_content = PlainHeader() + std::string(5000, 'w');
        for (std::size_t i = 0; i < 16; ++i)
            m_content[i] = static_cast<char>(m_content[i] ^ kKey[i]);
        m_path = Dir() + L"own\\app.wim";
        WriteFile(m_path, m_content);
    }

    void ExpectRefused(const std::wstring& workDir)
    {
        EXPECT_THROW(CWIMFile::Decrypt(m_path.c_str(), workDir.c_str()), CFileException);
        EXPECT_EQ(ReadFile(m_path), m_content);
        EXPECT_TRUE(LogContains(L"Exception while decrypting WIM file: "));
    }

    std::string m_content;
    std::wstring m_path;
};

TEST_F(DecryptSpellingTest, ASecondDriveMappedToTheFolderIsRefusedByTheCopy)
{
    MapDrive(L'Q', Host(Dir() + L"own"));
    ExpectRefused(L"Q:\\");
}

TEST_F(DecryptSpellingTest, ALinkToTheFolderIsRefusedByTheCopy)
{
    std::filesystem::create_directory_symlink(Host(Dir() + L"own"), Host(Dir()) / "link");
    ExpectRefused(Dir() + L"link");
}

TEST_F(DecryptSpellingTest, AHardLinkInTheWorkFolderIsNotOverwritten)
{
    std::filesystem::create_directories(Host(Dir()) / "work");
    std::filesystem::create_hard_link(Host(m_path), Host(Dir()) / "work" / "app.wim");
    ExpectRefused(Dir() + L"work");
}

}  // namespace
}  // namespace quen::test
