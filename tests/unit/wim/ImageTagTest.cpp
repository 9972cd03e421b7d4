// Values read from the XML description at the end of a file, on files whose
// tails are written byte for byte.
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/WimBytes.h"
#include "foundation/WideString.h"

namespace quen::test {
namespace {

constexpr wchar_t kTwoImages[] =
    L"<WIM><TOTALBYTES>9</TOTALBYTES>"
    L"<IMAGE INDEX=\"1\"><NAME>one</NAME><RELEASEID>R-1</RELEASEID></IMAGE>"
    L"<IMAGE INDEX=\"2\"><RELEASEID>R-2</RELEASEID><LANG>de</LANG></IMAGE></WIM>";

class ImageTagTest : public TestMachine {
protected:
    // A file of `prefix` bytes of WIM data followed by `tail`.
    std::wstring File(const std::string& tail, std::size_t prefix = 4096)
    {
        const std::wstring path = Dir() + L"image.wim";
        WriteFile(path, PlainHeader() + std::string(prefix, '\x5A') + tail);
        return path;
    }

    // The tag's value, or "<none>" when GetWimTag finds nothing.
    std::wstring Tag(const std::wstring& path, const wchar_t* tag)
    {
        std::wstring out = L"<none>";
        const bool found = CWIMFile::GetWimTag(path.c_str(), tag, out);
        EXPECT_EQ(found, out != L"<none>");
        return out;
    }
};

TEST_F(ImageTagTest, FirstImageWinsAndALaterImageFillsWhatItLacks)
{
    const std::wstring path = File(XmlTail(kTwoImages));
    EXPECT_EQ(Tag(path, L"RELEASEID"), L"R-1");
    EXPECT_EQ(Tag(path, L"LANG"), L"de");
    EXPECT_EQ(Tag(path, L"NAME"), L"one");
    // Elements outside the images count only after the first image begins.
    EXPECT_EQ(Tag(path, L"TOTALBYTES"), L"<none>");
}

TEST_F(ImageTagTest, TagIsComparedInUpperCaseOnly)
{
    const std::wstring path =
        File(XmlTail(L"<WIM><IMAGE INDEX=\"1\"><releaseid>low</releaseid><Lang>x</Lang>"
                     L"<RELEASEID>UP</RELEASEID></IMAGE></WIM>"));
    EXPECT_EQ(Tag(path, L"releaseid"), L"UP");
    EXPECT_EQ(Tag(path, L"ReleaseId"), L"UP");
    EXPECT_EQ(Tag(path, L"lang"), L"<none>");
}

TEST_F(ImageTagTest, ValuesAreTrimmedAndDecodedFromUtf16)
{
    const std::wstring path = File(XmlTail(L"<WIM><IMAGE INDEX=\"1\"><RELEASEID> \r\n\tR 1 \r\n</RELEASEID>"
                                           L"<NAME>Größe \U0001F600</NAME><EMPTY></EMPTY></IMAGE></WIM>"));
    EXPECT_EQ(Tag(path, L"RELEASEID"), L"R 1");
    EXPECT_EQ(Tag(path, L"NAME"), L"Größe \U0001F600");
    EXPECT_EQ(Tag(path, L"EMPTY"), L"");
}

TEST_F(ImageTagTest, TheStartMarkNearestTheEndWins)
{
    // An appended image leaves the earlier description in the file.
    const std::string older = XmlTail(L"<WIM><IMAGE INDEX=\"1\"><RELEASEID>OLD</RELEASEID></IMAGE></WIM>");
    const std::string newer = XmlTail(L"<WIM><IMAGE INDEX=\"1\"><RELEASEID>NEW</RELEASEID></IMAGE></WIM>");
    EXPECT_EQ(Tag(File(older + std::string(100, '\x11') + newer + std::string(7, '\x22')), L"RELEASEID"), L"NEW");
}

TEST_F(ImageTagTest, TheMarkMayUseFFFFAndMustStartTwelveBytesBeforeTheEnd)
{
    std::string tail = XmlTail(L"<WIM><IMAGE><A>v</A></IMAGE></WIM>");
    tail[1] = '\xFF';
    EXPECT_EQ(Tag(File(tail), L"A"), L"v");
    // A mark whose last bytes are cut off by the end of the file is not one.
    EXPECT_EQ(Tag(File(XmlTail(L"<WIM><IMAGE><A>v</A></IMAGE></WIM>") + std::string("\xFF\xFE<\0W\0I\0M\0>", 10)),
                  L"A"),
              L"v");
    // A whole mark in the last twelve bytes is the nearest one, though nothing follows it.
    EXPECT_EQ(Tag(File(XmlTail(L"<WIM><IMAGE><A>v</A></IMAGE></WIM>") + std::string("\xFF\xFE<\0W\0I\0M\0>\0", 12)),
                  L"A"),
              L"<none>");
}

TEST_F(ImageTagTest, OnlyTheLast32768BytesAreSearched)
{
    const std::string tail = XmlTail(L"<WIM><IMAGE><A>v</A></IMAGE></WIM>");
    // The mark starts exactly 32,768 bytes before the end: found.
    EXPECT_EQ(Tag(File(tail + std::string(32768 - tail.size(), ' ')), L"A"), L"v");
    // One byte farther: not found, however large the file.
    EXPECT_EQ(Tag(File(tail + std::string(32769 - tail.size(), ' ')), L"A"), L"<none>");
    // A file smaller than the window is searched from its first byte.
    EXPECT_EQ(Tag(File(tail, 0), L"A"), L"v");
}

TEST_F(ImageTagTest, TextEndsAtItsFirstZeroCharacterOrLastWholeCharacter)
{
    const std::string before = XmlTail(L"<WIM><IMAGE><A>v</A>");
    EXPECT_EQ(Tag(File(before + std::string(2, '\0') + ToUtf16Le(L"<B>w</B></IMAGE></WIM>")), L"B"), L"<none>");
    EXPECT_EQ(Tag(File(before + std::string(2, '\0') + ToUtf16Le(L"<B>w</B></IMAGE></WIM>")), L"A"), L"v");
    // An odd byte count: the last, incomplete character is dropped.
    EXPECT_EQ(Tag(File(XmlTail(L"<WIM><IMAGE><A>v</A>") + "\x3C"), L"A"), L"v");
}

TEST_F(ImageTagTest, MalformedDescriptionsFindNothingAndLeaveTheOutputAlone)
{
    EXPECT_EQ(Tag(File(XmlTail(L"<WIM><A>v</A></WIM>")), L"A"), L"<none>");                // no <IMAGE
    EXPECT_EQ(Tag(File(XmlTail(L"<WIM><IMAGE><A>v")), L"A"), L"<none>");                  // no closing tag
    EXPECT_EQ(Tag(File(XmlTail(L"<WIM><IMAGE>v</A></IMAGE>")), L"A"), L"<none>");         // no opening tag
    EXPECT_EQ(Tag(File(ToUtf16Le(L"<WIM><IMAGE><A>v</A></IMAGE>")), L"A"), L"<none>");     // no byte-order mark
    // Tags in the wrong order give the empty text between them, as found.
    EXPECT_EQ(Tag(File(XmlTail(L"<WIM><IMAGE></A>x<A>v</IMAGE>")), L"A"), L"");
}

TEST_F(ImageTagTest, ShortMissingOrUnnamedFilesFindNothing)
{
    for (std::size_t size = 0; size < 12; ++size) {
        const std::wstring path = Dir() + L"short.wim";
        WriteFile(path, XmlTail(L"<WIM>").substr(0, size));
        EXPECT_EQ(Tag(path, L"A"), L"<none>") << size << " bytes";
    }
    EXPECT_EQ(Tag(Dir() + L"missing.wim", L"A"), L"<none>");
    std::wstring out = L"kept";
    EXPECT_FALSE(CWIMFile::GetWimTag(nullptr, L"A", out));
    EXPECT_FALSE(CWIMFile::GetWimTag(File(XmlTail(L"<WIM><IMAGE><A>v</A></IMAGE></WIM>")).c_str(), nullptr, out));
    EXPECT_EQ(out, L"kept");
}

TEST_F(ImageTagTest, ReleaseIdsMatchWithoutRegardToCase)
{
    const std::wstring path = File(XmlTail(L"<WIM><IMAGE><RELEASEID>qr-12a</RELEASEID></IMAGE></WIM>"));
    std::wstring out;
    EXPECT_TRUE(CWIMFile::MatchsReleaseID(path.c_str(), L"QR-12A", out));
    EXPECT_EQ(out, L"qr-12a");

    // Another release: false, and the file's value for the caller's log.
    out.clear();
    EXPECT_FALSE(CWIMFile::MatchsReleaseID(path.c_str(), L"QR-13", out));
    EXPECT_EQ(out, L"qr-12a");

    // No expected ID: false, and still the file's value.
    out.clear();
    EXPECT_FALSE(CWIMFile::MatchsReleaseID(path.c_str(), L"", out));
    EXPECT_FALSE(CWIMFile::MatchsReleaseID(path.c_str(), nullptr, out));
    EXPECT_EQ(out, L"qr-12a");
}

TEST_F(ImageTagTest, AnEmptyOrMissingReleaseIdNeverMatches)
{
    std::wstring out = L"kept";
    const std::wstring empty = File(XmlTail(L"<WIM><IMAGE><RELEASEID></RELEASEID></IMAGE></WIM>"));
    EXPECT_FALSE(CWIMFile::MatchsReleaseID(empty.c_str(), L"", out));
    EXPECT_EQ(out, L"");

    out = L"kept";
    const std::wstring none = File(XmlTail(L"<WIM><IMAGE><NAME>x</NAME></IMAGE></WIM>"));
    EXPECT_FALSE(CWIMFile::MatchsReleaseID(none.c_str(), L"x", out));
    EXPECT_EQ(out, L"kept");
}

}  // namespace
}  // namespace quen::test
