// Values read from the XML description at the end of a file, on files whose
// tails are written byte for byte.
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/WimBytes.h"

namespace quen::test {
namespace {

constexpr wchar_t kNone[] = L"<none>";

class ImageTagTest : public TestMachine {
protected:
    // A file of the header, `prefix` bytes of data and `tail`.
    std::wstring File(const std::string& tail, std::size_t prefix = 4096)
    {
        WriteFile(Dir() + L"image.wim", PlainHeader() + std::string(prefix, '\x5A') + tail);
        return Dir() + L"image.wim";
    }

    // The tag's value, or kNone when GetWimTag finds nothing (and then leaves the output alone).
    static std::wstring Tag(const std::wstring& path, const wchar_t* tag)
    {
        std::wstring out = kNone;
        const bool found = CWIMFile::GetWimTag(path.c_str(), tag, out);
        EXPECT_EQ(found, out != kNone);
        return out;
    }
};

const std::string kSimple = XmlTail(L"<WIM><IMAGE><A>v</A></IMAGE></WIM>");

TEST_F(ImageTagTest, TheFirstImageOfTheDescriptionNearestTheEndWithinTheLast32768BytesGivesTheTrimmedValue)
{
    const std::string two = XmlTail(L"<WIM><TOTALBYTES>9</TOTALBYTES>"
                                    L"<IMAGE INDEX=\"1\"><NAME>one</NAME><RELEASEID>R-1</RELEASEID></IMAGE>"
                                    L"<IMAGE INDEX=\"2\"><RELEASEID>R-2</RELEASEID><LANG>de</LANG></IMAGE></WIM>");
    const std::string text =
        XmlTail(L"<WIM><IMAGE><releaseid>low</releaseid><RELEASEID> \r\n\tR 1 \r\n</RELEASEID><EMPTY></EMPTY></IMAGE>");
    std::string ffff = kSimple;
    ffff[1] = '\xFF';
    // What, the file's tail, the tag, and its value or kNone.
    const std::tuple<const char*, std::string, const wchar_t*, const wchar_t*> cases[] = {
        {"first image", two, L"RELEASEID", L"R-1"},
        {"a later image fills what the first lacks", two, L"LANG", L"de"},
        {"outside the images before the first", two, L"TOTALBYTES", kNone},
        {"trimmed, the tag in any case, the elements in upper case", text, L"ReleaseId", L"R 1"},
        {"empty element", text, L"EMPTY", L""},
        {"an appended image's newer description", XmlTail(L"<WIM><IMAGE><A>OLD</A></IMAGE></WIM>") + kSimple, L"A",
         L"v"},
        {"FF FF mark", ffff, L"A", L"v"},
        {"a mark cut off by the end of the file", kSimple + std::string("\xFF\xFE<\0W\0I\0M\0>", 10), L"A", L"v"},
        {"a whole mark that ends the file", kSimple + std::string("\xFF\xFE<\0W\0I\0M\0>\0", 12), L"A", kNone},
        {"mark exactly 32768 bytes before the end", kSimple + std::string(32768 - kSimple.size(), ' '), L"A", L"v"},
        {"one byte farther", kSimple + std::string(32769 - kSimple.size(), ' '), L"A", kNone},
        {"no image", XmlTail(L"<WIM><A>v</A></WIM>"), L"A", kNone},
        {"no closing tag", XmlTail(L"<WIM><IMAGE><A>v"), L"A", kNone},
        {"no opening tag", XmlTail(L"<WIM><IMAGE>v</A></IMAGE>"), L"A", kNone},
        {"no byte-order mark", ToUtf16Le(L"<WIM><IMAGE><A>v</A></IMAGE>"), L"A", kNone},
    };
    for (const auto& [what, tail, tag, value] : cases)
        EXPECT_EQ(Tag(File(tail), tag), value) << what;
    EXPECT_EQ(Tag(File(kSimple, 0), L"A"), L"v") << "file smaller than the window";
}

TEST_F(ImageTagTest, ShortMissingOrUnnamedFilesFindNothing)
{
    for (std::size_t size = 0; size < 12; ++size) {
        WriteFile(Dir() + L"short.wim", XmlTail(L"<WIM>").substr(0, size));
        EXPECT_EQ(Tag(Dir() + L"short.wim", L"A"), kNone) << size << " bytes";
    }
    EXPECT_EQ(Tag(Dir() + L"missing.wim", L"A"), kNone);
    std::wstring out = L"kept";
    EXPECT_FALSE(CWIMFile::GetWimTag(nullptr, L"A", out));
    EXPECT_FALSE(CWIMFile::GetWimTag(File(kSimple).c_str(), nullptr, out));
    EXPECT_EQ(out, L"kept");
}

TEST_F(ImageTagTest, ReleaseIdsMatchWithoutRegardToCaseAndNeverWhenEitherIsEmpty)
{
    const std::string qr = XmlTail(L"<WIM><IMAGE><RELEASEID>qr-12a</RELEASEID></IMAGE></WIM>");
    // The file's tail, the ID expected, whether they match, and the ID the caller gets for its log.
    const std::tuple<std::string, const wchar_t*, bool, const wchar_t*> cases[] = {
        {qr, L"QR-12A", true, L"qr-12a"},
        {qr, L"QR-13", false, L"qr-12a"},
        {qr, L"", false, L"qr-12a"},
        {qr, nullptr, false, L"qr-12a"},
        {XmlTail(L"<WIM><IMAGE><RELEASEID></RELEASEID></IMAGE>"), L"", false, L""},
        {XmlTail(L"<WIM><IMAGE><NAME>x</NAME></IMAGE>"), L"x", false, L"kept"},
    };
    for (const auto& [tail, expected, matches, id] : cases) {
        std::wstring out = L"kept";
        EXPECT_EQ(CWIMFile::MatchsReleaseID(File(tail).c_str(), expected, out), matches) << ToUtf8(id);
        EXPECT_EQ(out, id);
    }
}

}  // namespace
}  // namespace quen::test
