// Scrambled headers: the test, the transform and the working copy, on files
// written byte for byte.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/Thrown.h"
#include "fakes/WimBytes.h"

namespace quen::test {
namespace {

std::string Scrambled(std::string bytes)
{
    constexpr char kKey[] = "Amber Lighthouse";
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
        EXPECT_TRUE(e && e->Kind() == EFileException::NotFound && e->Directory() == path) << ToUtf8(path);
    }
    EXPECT_THROW(CWIMFile::IsEncrypted(nullptr), EFileException);
}

TEST_F(ScramblingTest, DecryptCopiesIntoTheWorkOrTemporaryFolderAndTogglesTheFirst16BytesOfAWholeHeaderOnly)
{
    const std::pair<std::string, std::string> cases[] = {
        {Scrambled(m_content), m_content},
        {m_content, Scrambled(m_content)},
        {std::string(), std::string()},
        {std::string("MSWIM\0\0\0abcdefg", 15), std::string("MSWIM\0\0\0abcdefg", 15)},
    };
    WriteFile(Dir() + L"work\\toggle.wim", "stale");
    for (const auto& [in, out] : cases) {
        WriteFile(Dir() + L"in\\toggle.wim", in);
        const std::wstring copy = CWIMFile::Decrypt((Dir() + L"in\\toggle.wim").c_str(), (Dir() + L"work").c_str());
        EXPECT_EQ(copy, Dir() + L"work\\toggle.wim");
        EXPECT_EQ(ReadFile(copy), out) << in.size() << " bytes";
        EXPECT_EQ(ReadFile(Dir() + L"in\\toggle.wim"), in);
    }
    const std::wstring temporary = CWIMFile::Decrypt((Dir() + L"in\\toggle.wim").c_str(), nullptr);
    EXPECT_EQ(temporary, COsServices::GetTempFolder() + L"toggle.wim");
    CFilename::Delete(temporary);
}

TEST_F(ScramblingTest, DecryptRefusesTheFilesOwnFolderHoweverSpelledAndAFailedCopyDeletesNothing)
{
    const std::wstring path = Dir() + L"own\\Same.wim";
    WriteFile(path, Scrambled(m_content));
    for (const std::wstring& folder :
         {Dir() + L"own", Dir() + L"OWN\\", Dir() + L"own\\.\\sub\\..", Dir() + L"own//"}) {
        EXPECT_THROW(CWIMFile::Decrypt(path.c_str(), folder.c_str()), ELibraryException) << ToUtf8(folder);
        EXPECT_EQ(ReadFile(path), Scrambled(m_content));
    }
    WriteFile(Dir() + L"work\\missing.wim", "someone else's file");
    EXPECT_THROW(CWIMFile::Decrypt((Dir() + L"missing.wim").c_str(), (Dir() + L"work").c_str()), CFileException);
    EXPECT_EQ(ReadFile(Dir() + L"work\\missing.wim"), "someone else's file");
}

}  // namespace
}  // namespace quen::test
