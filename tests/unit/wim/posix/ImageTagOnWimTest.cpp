// Image tags read from WIM files that wimlib wrote.
#include <quen/WIMFile.h>

#include "fakes/posix/WimMachine.h"

#include <algorithm>

namespace quen::test {
namespace {

class ImageTagOnWimTest : public WimMachine {
protected:
    std::wstring Tag(const std::wstring& path, const wchar_t* tag)
    {
        std::wstring out = L"<none>";
        CWIMFile::GetWimTag(path.c_str(), tag, out);
        return out;
    }

    // How many XML descriptions the file holds.
    std::size_t XmlCopies(const std::wstring& path) const
    {
        const std::string bytes = ReadFile(path);
        const std::string mark("\xFF\xFE<\0W\0I\0M\0>\0", 12);
        std::size_t count = 0;
        for (std::size_t at = bytes.find(mark); at != std::string::npos; at = bytes.find(mark, at + 1))
            ++count;
        return count;
    }
};

TEST_F(ImageTagOnWimTest, TheFirstImagesReleaseIdWinsAndALaterOneStandsIn)
{
    const std::wstring both = MakeWim(Dir() + L"both.wim", {ModuleImage("R-1"), ModuleImage("R-2")});
    EXPECT_EQ(Tag(both, L"RELEASEID"), L"R-1");
    const std::wstring later = MakeWim(Dir() + L"later.wim", {ModuleImage(), ModuleImage("R-2")});
    EXPECT_EQ(Tag(later, L"releaseid"), L"R-2");
    std::wstring out;
    EXPECT_TRUE(CWIMFile::MatchsReleaseID(later.c_str(), L"r-2", out));
}

TEST_F(ImageTagOnWimTest, AnIntegrityTableAfterTheDescriptionChangesNothing)
{
    const std::wstring path = MakeWim(Dir() + L"checked.wim", {ModuleImage("R-9")}, {.integrityTable = true});
    EXPECT_EQ(Tag(path, L"RELEASEID"), L"R-9");
}

TEST_F(ImageTagOnWimTest, AfterAnAppendTheNewestDescriptionIsRead)
{
    const std::wstring path = MakeWim(Dir() + L"appended.wim", {ModuleImage()});
    EXPECT_EQ(Tag(path, L"RELEASEID"), L"<none>");
    AppendImage(Host(path), ModuleImage("R-NEW"));
    ASSERT_EQ(XmlCopies(path), 2u);
    EXPECT_EQ(Tag(path, L"RELEASEID"), L"R-NEW");
}

TEST_F(ImageTagOnWimTest, ADescriptionStartingTooFarFromTheEndIsNotRead)
{
    WimImage image = ModuleImage("R-1");
    image.properties.emplace_back("NOTES", std::string(20000, 'n'));
    const std::wstring path = MakeWim(Dir() + L"long.wim", {image});
    EXPECT_EQ(Tag(path, L"RELEASEID"), L"<none>");
}

}  // namespace
}  // namespace quen::test
