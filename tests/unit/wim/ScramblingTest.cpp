// Scrambled headers: the test, the transform and the working copy, on files
// written byte for byte.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "foundation/WideString.h"
#include "fakes/WimBytes.h"

namespace quen::test {
namespace {

constexpr char kKey[] = "Amber Lighthouse";

std::string Scrambled(std::string bytes)
{
    for (std::size_t i = 0; i < 16 && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ kKey[i]);
    return bytes;
}

class ScramblingTest : public TestMachine {
protected:
    const std::string m_content = PlainHeader() + std::string("rest of the file \0\xFF", 20);
};

TEST_F(ScramblingTest, APlainHeaderIsNotEncrypted)
{
    WriteFile(Dir() + L"plain.wim", m_content);
    EXPECT_FALSE(CWIMFile::IsEncrypted((Dir() + L"plain.wim").c_str()));
    EXPECT_EQ(LogTexts(), (std::vector<std::wstring>{L"Checking encryption for: " + Dir() + L"plain.wim",
                                                     L"  Not Encrypted"}));
    // "MSWIM" anywhere in the first 16 bytes before a zero byte will do.
    WriteFile(Dir() + L"shifted.wim", "xyMSWIM" + std::string(20, 'a'));
    EXPECT_FALSE(CWIMFile::IsEncrypted((Dir() + L"shifted.wim").c_str()));
}

TEST_F(ScramblingTest, AnythingElseCountsAsScrambled)
{
    const std::pair<const char*, std::string> cases[] = {
        {"scrambled", Scrambled(m_content)},
        {"zero before the signature", std::string("ab\0MSWIM", 8) + std::string(20, 'a')},
        {"signature after byte 16", std::string(12, 'a') + "MSWIM"},
        {"shorter than the signature", "MSWI"},
        {"empty", ""},
    };
    for (const auto& [what, bytes] : cases) {
        WriteFile(Dir() + L"case.wim", bytes);
        EXPECT_TRUE(CWIMFile::IsEncrypted((Dir() + L"case.wim").c_str())) << what;
    }
    EXPECT_TRUE(LogContains(L"  Encrypted"));
}

TEST_F(ScramblingTest, NoFileToTestIsAnError)
{
    for (const std::wstring& path : {std::wstring(), Dir() + L"missing.wim", Dir()}) {
        try {
            CWIMFile::IsEncrypted(path.c_str());
            ADD_FAILURE() << "no exception for " << ToUtf8(path);
        } catch (const EFileException& e) {
            EXPECT_EQ(e.Message(), L"Invalid or NULL WIM File specified.");
            EXPECT_EQ(e.Kind(), EFileException::NotFound);
            EXPECT_EQ(e.Directory(), path);
            EXPECT_EQ(e.SourceFile(), L".\\WIMFile");
        }
    }
    EXPECT_THROW(CWIMFile::IsEncrypted(nullptr), EFileException);
}

TEST_F(ScramblingTest, TheTransformChangesTheFirst16BytesOnlyUndoesItselfAndLeavesShortFilesAlone)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {Scrambled(m_content), m_content},
        {m_content, Scrambled(m_content)},
        {std::string(), std::string()},
        {std::string("MSWIM\0\0\0abcdefg", 15), std::string("MSWIM\0\0\0abcdefg", 15)},
    };
    CDirectory::Create(Dir() + L"work");
    for (const auto& c : cases) {
        WriteFile(Dir() + L"toggle.wim", c.in);
        const std::wstring copy = CWIMFile::Decrypt((Dir() + L"toggle.wim").c_str(), (Dir() + L"work").c_str());
        EXPECT_EQ(ReadFile(copy), c.out) << c.in.size() << " bytes";
    }
}

TEST_F(ScramblingTest, DecryptMakesAnUnscrambledCopyAndLeavesTheFileAlone)
{
    WriteFile(Dir() + L"in\\App.wim", Scrambled(m_content));
    CDirectory::Create(Dir() + L"work");
    const std::wstring copy = CWIMFile::Decrypt((Dir() + L"in\\App.wim").c_str(), (Dir() + L"work").c_str());
    EXPECT_EQ(copy, Dir() + L"work\\App.wim");
    EXPECT_EQ(ReadFile(copy), m_content);
    EXPECT_EQ(ReadFile(Dir() + L"in\\App.wim"), Scrambled(m_content));
    EXPECT_TRUE(LogContains(L"Decrypting " + Dir() + L"in\\App.wim to " + copy));
    EXPECT_TRUE(LogContains(L"  File decrypted OK."));

    // A copy already there is replaced.
    WriteFile(copy, "stale");
    CWIMFile::Decrypt((Dir() + L"in\\App.wim").c_str(), (Dir() + L"work\\").c_str());
    EXPECT_EQ(ReadFile(copy), m_content);
}

TEST_F(ScramblingTest, DecryptWithoutAWorkFolderUsesTheTemporaryFolder)
{
    WriteFile(Dir() + L"nowork.wim", Scrambled(m_content));
    const std::wstring copy = CWIMFile::Decrypt((Dir() + L"nowork.wim").c_str(), nullptr);
    EXPECT_EQ(copy, COsServices::GetTempFolder() + L"nowork.wim");
    EXPECT_EQ(ReadFile(copy), m_content);
    CFilename::Delete(copy);
}

TEST_F(ScramblingTest, DecryptRefusesTheFilesOwnFolderHoweverItIsSpelled)
{
    const std::wstring path = Dir() + L"own\\Same.wim";
    WriteFile(path, Scrambled(m_content));
    const std::wstring spellings[] = {Dir() + L"own", Dir() + L"OWN\\", Dir() + L"own\\.\\sub\\..",
                                      Dir() + L"own//"};
    for (const auto& folder : spellings) {
        try {
            CWIMFile::Decrypt(path.c_str(), folder.c_str());
            ADD_FAILURE() << "no exception for " << ToUtf8(folder);
        } catch (const ELibraryException& e) {
            EXPECT_EQ(e.Message(), L"Can not decrypt WIM file " + path + L".");
        }
        EXPECT_EQ(ReadFile(path), Scrambled(m_content));
    }
    EXPECT_TRUE(LogContains(L"Exception while decrypting WIM file: Can not decrypt WIM file " + path + L"."));
}

TEST_F(ScramblingTest, AFailedCopyIsReportedAndNothingIsDeleted)
{
    WriteFile(Dir() + L"work\\missing.wim", "someone else's file");
    EXPECT_THROW(CWIMFile::Decrypt((Dir() + L"missing.wim").c_str(), (Dir() + L"work").c_str()), CFileException);
    EXPECT_TRUE(LogContains(L"Exception while decrypting WIM file: "));
    EXPECT_EQ(ReadFile(Dir() + L"work\\missing.wim"), "someone else's file");
}

TEST_F(ScramblingTest, EncryptIsNotOffered)
{
    WriteFile(Dir() + L"plain.wim", m_content);
    EXPECT_EQ(CWIMFile::Encrypt((Dir() + L"plain.wim").c_str()), L"");
    EXPECT_EQ(ReadFile(Dir() + L"plain.wim"), m_content);
    EXPECT_TRUE(LogContains(L"CWIMFile::Encrypt() not implemented."));
}

}  // namespace
}  // namespace quen::test
