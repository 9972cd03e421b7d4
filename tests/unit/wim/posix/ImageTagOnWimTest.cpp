// Image tags read from WIM files that wimlib wrote.
#include <quen/WIMFile.h>

#include "fakes/posix/WimMachine.h"

namespace quen::test {
namespace {

using ImageTagOnWimTest = WimMachine;

std::wstring ReleaseId(const std::wstring& path)
{
    std::wstring out = L"<none>";
    CWIMFile::GetWimTag(path.c_str(), L"releaseid", out);
    return out;
}

TEST_F(ImageTagOnWimTest, TheFirstImagesReleaseIdWinsALaterOneStandsInAndAnIntegrityTableChangesNothing)
{
    EXPECT_EQ(ReleaseId(MakeWim(Dir() + L"both.wim", {ModuleImage("R-1"), ModuleImage("R-2")})), L"R-1");
    const std::wstring later = MakeWim(Dir() + L"later.wim", {ModuleImage(), ModuleImage("R-2")});
    std::wstring out;
    EXPECT_TRUE(CWIMFile::MatchsReleaseID(later.c_str(), L"r-2", out));
    EXPECT_EQ(ReleaseId(MakeWim(Dir() + L"checked.wim", {ModuleImage("R-9")}, {.integrityTable = true})), L"R-9");
}

TEST_F(ImageTagOnWimTest, AfterAnAppendTheNewestDescriptionIsReadAndOneTooFarFromTheEndIsNot)
{
    const std::wstring path = MakeWim(Dir() + L"appended.wim", {ModuleImage()});
    EXPECT_EQ(ReleaseId(path), L"<none>");
    AppendImage(Host(path), ModuleImage("R-NEW"));
    EXPECT_EQ(ReleaseId(path), L"R-NEW");

    WimImage image = ModuleImage("R-1");
    image.properties.emplace_back("NOTES", std::string(20000, 'n'));
    EXPECT_EQ(ReleaseId(MakeWim(Dir() + L"long.wim", {image})), L"<none>");
}

}  // namespace
}  // namespace quen::test
