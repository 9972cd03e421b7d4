// Scrambled headers: the test, the transform and the working copy, on files
// written byte for byte.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/Thrown.h"
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

TEST_F(ScramblingTest, OnlyTheSignatureBeforeAZeroInTheFirst16BytesReadsAsPlain)
{
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"plain header", m_content, false},
        {"signature shifted", "xyMSWIM" + std::string(20, 'a'), false},
        {"scrambled", Scrambled(m_content), true},
        {"zero before the signature", std::string("ab\0MSWIM", 8) + std::string(20, 'a'), true},
        {"signature after byte 16", std::string(12, 'a') + "MSWIM", true},
        {"shorter than the signature", "MSWI", true},
        {"empty", "", true},
    };
    for (const auto& [what, bytes, scrambled] : cases) {
        WriteFile(Dir() + L"case.wim", bytes);
        EXPECT_EQ(CWIMFile::IsEncrypted((Dir() + L"case.wim").c_str()), scrambled) << what;
    }
    for (const std::wstring& path : {std::wstring(), Dir() + L"missing.wim", Dir()}) {
        const auto e = Thrown<EFileException>([&] { CWIMFile::IsEncrypted(path.c_str()); });
        ASSERT_TRUE(e) << ToUtf8(path);
        EXPECT_EQ(e->Kind(), EFileException::NotFound);
        EXPECT_EQ(e->Directory(), path);
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

TEST_F(ScramblingTest, DecryptReplacesACopyInTheWorkOrTemporaryFolderAndLeavesTheFileAlone)
{
    WriteFile(Dir() + L"in\\App.wim", Scrambled(m_content));
    WriteFile(Dir() + L"work\\App.wim", "stale");
    const std::wstring copy = CWIMFile::Decrypt((Dir() + L"in\\App.wim").c_str(), (Dir() + L"work").c_str());
    EXPECT_EQ(copy, Dir() + L"work\\App.wim");
    EXPECT_EQ(ReadFile(copy), m_content);
    EXPECT_EQ(ReadFile(Dir() + L"in\\App.wim"), Scrambled(m_content));

    const std::wstring temporary = CWIMFile::Decrypt((Dir() + L"in\\App.wim").c_str(), nullptr);
    EXPECT_EQ(temporary, COsServices::GetTempFolder() + L"App.wim");
    EXPECT_EQ(ReadFile(temporary), m_content);
    CFilename::Delete(temporary);
}

TEST_F(ScramblingTest, DecryptRefusesTheFilesOwnFolderHoweverSpelledAndAFailedCopyDeletesNothing)
{
    const std::wstring path = Dir() + L"own\\Same.wim";
    WriteFile(path, Scrambled(m_content));
    for (const std::wstring& folder :
         {Dir() + L"own", Dir() + L"OWN\\", Dir() + L"own\\.\\sub\\..", Dir() + L"own//"}) {
        EXPECT_EQ(ThrownMessage<ELibraryException>([&] { CWIMFile::Decrypt(path.c_str(), folder.c_str()); }),
                  L"Can not decrypt WIM file " + path + L".");
        EXPECT_EQ(ReadFile(path), Scrambled(m_content));
    }

    WriteFile(Dir() + L"work\\missing.wim", "someone else's file");
    EXPECT_THROW(CWIMFile::Decrypt((Dir() + L"missing.wim").c_str(), (Dir() + L"work").c_str()), CFileException);
    EXPECT_EQ(ReadFile(Dir() + L"work\\missing.wim"), "someone else's file");
}

TEST_F(ScramblingTest, EncryptIsNotOffered)
{
    WriteFile(Dir() + L"plain.wim", m_content);
    EXPECT_EQ(CWIMFile::Encrypt((Dir() + L"plain.wim").c_str()), L"");
    EXPECT_EQ(ReadFile(Dir() + L"plain.wim"), m_content);
}

}  // namespace
}  // namespace quen::test
