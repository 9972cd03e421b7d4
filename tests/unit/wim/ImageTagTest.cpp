// Values read from the XML description at the end of a file, on files whose
// tails are written byte for byte.
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/WimBytes.h"
#include "foundation/WideString.h"

namespace quen::test {
namespace {

constexpr wchar_t kNone[] = L"<none>";

struct TagCase {
    const char* what;
    std::string tail;  // the file's bytes after the header and `prefix` bytes of data
    const wchar_t* tag;
    const wchar_t* value;  // or kNone when nothing is found
    std::size_t prefix = 4096;
};

class ImageTagTest : public TestMachine {
protected:
    std::wstring File(const std::string& tail, std::size_t prefix = 4096)
    {
        const std::wstring path = Dir() + L"image.wim";
        WriteFile(path, PlainHeader() + std::string(prefix, '\x5A') + tail);
        return path;
    }

    // The tag's value, or kNone when GetWimTag finds nothing (and then leaves the output alone).
    static std::wstring Tag(const std::wstring& path, const wchar_t* tag)
    {
        std::wstring out = kNone;
        const bool found = CWIMFile::GetWimTag(path.c_str(), tag, out);
        EXPECT_EQ(found, out != kNone);
        return out;
    }

    void ExpectTags(const std::vector<TagCase>& cases)
    {
        for (const TagCase& c : cases)
            EXPECT_EQ(Tag(File(c.tail, c.prefix), c.tag), c.value) << c.what;
    }
};

const std::string kSimple = XmlTail(L"<WIM><IMAGE><A>v</A></IMAGE></WIM>");

std::string FfffMark()
{
    std::string tail = kSimple;
    tail[1] = '\xFF';
    return tail;
}

TEST_F(ImageTagTest, TheFirstImageWinsAndValuesAreTrimmedDecodedAndMatchedByUpperCaseTag)
{
    const std::string two = XmlTail(L"<WIM><TOTALBYTES>9</TOTALBYTES>"
                                    L"<IMAGE INDEX=\"1\"><NAME>one</NAME><RELEASEID>R-1</RELEASEID></IMAGE>"
                                    L"<IMAGE INDEX=\"2\"><RELEASEID>R-2</RELEASEID><LANG>de</LANG></IMAGE></WIM>");
    const std::string cased = XmlTail(L"<WIM><IMAGE><releaseid>low</releaseid><Lang>x</Lang>"
                                      L"<RELEASEID>UP</RELEASEID></IMAGE></WIM>");
    const std::string text = XmlTail(L"<WIM><IMAGE><RELEASEID> \r\n\tR 1 \r\n</RELEASEID>"
                                     L"<NAME>Größe \U0001F600</NAME><EMPTY></EMPTY></IMAGE></WIM>");
    ExpectTags({
        {"first image", two, L"RELEASEID", L"R-1"},
        {"a later image fills what the first lacks", two, L"LANG", L"de"},
        {"outside the images before the first", two, L"TOTALBYTES", kNone},
        {"tag in any case", cased, L"ReleaseId", L"UP"},
        {"elements in lower case are not the tag", cased, L"lang", kNone},
        {"trimmed", text, L"RELEASEID", L"R 1"},
        {"UTF-16 with surrogates", text, L"NAME", L"Größe \U0001F600"},
        {"empty element", text, L"EMPTY", L""},
    });
}

TEST_F(ImageTagTest, TheMarkNearestTheEndWithinTheLast32768BytesStartsTheText)
{
    const std::string older = XmlTail(L"<WIM><IMAGE><A>OLD</A></IMAGE></WIM>");
    const std::string cutMark("\xFF\xFE<\0W\0I\0M\0>", 10);
    ExpectTags({
        {"an appended image's newer description", older + std::string(100, '\x11') + kSimple + "\x22", L"A", L"v"},
        {"FF FF mark", FfffMark(), L"A", L"v"},
        {"a mark cut off by the end of the file", kSimple + cutMark, L"A", L"v"},
        {"a whole mark that ends the file", kSimple + std::string("\xFF\xFE<\0W\0I\0M\0>\0", 12), L"A", kNone},
        {"mark exactly 32768 bytes before the end", kSimple + std::string(32768 - kSimple.size(), ' '), L"A", L"v"},
        {"one byte farther", kSimple + std::string(32769 - kSimple.size(), ' '), L"A", kNone},
        {"file smaller than the window", kSimple, L"A", L"v", 0},
    });
}

TEST_F(ImageTagTest, TextEndsAtAZeroCharacterOrLastWholeOneAndMalformedTextFindsNothing)
{
    const std::string zero = XmlTail(L"<WIM><IMAGE><A>v</A>") + std::string(2, '\0') + ToUtf16Le(L"<B>w</B></IMAGE>");
    ExpectTags({
        {"after a zero character", zero, L"B", kNone},
        {"before a zero character", zero, L"A", L"v"},
        {"odd byte count", XmlTail(L"<WIM><IMAGE><A>v</A>") + "\x3C", L"A", L"v"},
        {"no image", XmlTail(L"<WIM><A>v</A></WIM>"), L"A", kNone},
        {"no closing tag", XmlTail(L"<WIM><IMAGE><A>v"), L"A", kNone},
        {"no opening tag", XmlTail(L"<WIM><IMAGE>v</A></IMAGE>"), L"A", kNone},
        {"no byte-order mark", ToUtf16Le(L"<WIM><IMAGE><A>v</A></IMAGE>"), L"A", kNone},
        {"tags in the wrong order give the text between them", XmlTail(L"<WIM><IMAGE></A>x<A>v</IMAGE>"), L"A",
         L""},
    });
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
    const std::wstring path = File(XmlTail(L"<WIM><IMAGE><RELEASEID>qr-12a</RELEASEID></IMAGE></WIM>"));
    const std::pair<const wchar_t*, bool> expectations[] = {
        {L"QR-12A", true}, {L"QR-13", false}, {L"", false}, {nullptr, false}};
    for (const auto& [expected, matches] : expectations) {
        std::wstring out;
        EXPECT_EQ(CWIMFile::MatchsReleaseID(path.c_str(), expected, out), matches);
        EXPECT_EQ(out, L"qr-12a");  // the file's value, for the caller's log
    }

    std::wstring out = L"kept";
    EXPECT_FALSE(CWIMFile::MatchsReleaseID(File(XmlTail(L"<WIM><IMAGE><RELEASEID></RELEASEID></IMAGE>")).c_str(),
                                           L"", out));
    EXPECT_EQ(out, L"");
    out = L"kept";
    EXPECT_FALSE(CWIMFile::MatchsReleaseID(File(XmlTail(L"<WIM><IMAGE><NAME>x</NAME></IMAGE>")).c_str(), L"x", out));
    EXPECT_EQ(out, L"kept");
}

}  // namespace
}  // namespace quen::test
