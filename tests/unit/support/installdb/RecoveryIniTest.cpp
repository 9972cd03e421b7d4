#include <quen/InstallDB.h>

#include "fakes/Thrown.h"
#include "fakes/TestMachine.h"
#include "unit/support/installdb/Samples.h"

#include <filesystem>

namespace {

using Discs = std::vector<int>;

class RecoveryIni : public quen::test::TestMachine {
protected:
    std::wstring Path() const { return Dir() + L"Source\\qenhdrcv.ini"; }

    void OpenSample(const std::string& name)
    {
        WriteFile(Path(), quen::test::InstallDbSample(name));
        ASSERT_TRUE(m_ini.Open(Path()));
    }

    // The discs that hold `path`, checking that the result agrees with them.
    Discs On(const std::wstring& mediaType, const std::wstring& path, bool matchBelow = false) const
    {
        Discs discs = {99};  // whatever the caller's list held goes
        const bool found = m_ini.MediaTypeContains(mediaType, path, &discs, matchBelow);
        EXPECT_EQ(found, !discs.empty()) << testing::PrintToString(path);
        return discs;
    }

    CQuenHDRecoveryIni m_ini;
};

struct Lookup {
    const wchar_t* mediaType;
    const wchar_t* path;
    Discs discs;
    bool matchBelow = false;
};

TEST_F(RecoveryIni, FindsTheDiscsThatListAPathInKeyOrderIgnoringCaseSlashesAndBlanks)
{
    const Lookup lookups[] = {
        {L"DVD", L"FI\\7A0310", {1}},
        {L"CD", L"Drivers\\Camera", {2}},
        {L"CD", L"FI\\7A0310", {}},
        {L"DVD", L"Apps\\Power", {}},
        {L"dvd", L"apps/POWERMANAGER", {1}},
        {L"Dvd", L"  \\Apps\\PowerManager\\ ", {1}},
        // The entries themselves are written "Modules\Office\ " and "Modules/Big/part1".
        {L"DVD", L"modules\\office", {2}},
        {L"DVD", L"Modules\\Big\\Part1", {2}},
        // Entries below the path count only when asked, below a whole component.
        {L"DVD", L"Modules\\Big", {}},
        {L"DVD", L"Modules\\Big\\", {2, 3}, true},
        {L"DVD", L"Modules\\Bi", {}, true},
        {L"CD", L"Modules\\Big", {3, 2}, true},  // the order of the keys, not of the numbers
        {L"BD", L"Apps\\PowerManager", {}},
        {L"DVD", L"  ", {}, true},
    };
    for (const std::string sample : {"qenhdrcv.ini", "qenhdrcv-utf16.ini"}) {
        OpenSample(sample);
        for (const Lookup& lookup : lookups)
            EXPECT_EQ(On(lookup.mediaType, lookup.path, lookup.matchBelow), lookup.discs) << sample;
    }
    EXPECT_TRUE(m_ini.MediaTypeContains(L"DVD", L"Modules\\Big", nullptr, true));
    EXPECT_FALSE(m_ini.MediaTypeContains(L"DVD", L"Modules\\Big", nullptr, false));

    WriteFile(Path(), "\xEF\xBB\xBF[DVD]\r\nDisc4 = Caf\xC3\xA9\r\n");
    ASSERT_TRUE(m_ini.Open(Path()));
    EXPECT_EQ(On(L"DVD", L"CAF\u00c9"), Discs{4});
}

TEST_F(RecoveryIni, AMissingFileOpensEmptyWithAWarningAndAFileWithoutSectionsWithoutOne)
{
    OpenSample("qenhdrcv.ini");
    EXPECT_FALSE(m_ini.Open(Dir() + L"qenhdrcv.ini"));
    EXPECT_EQ(LogTexts().size(), 1u);
    EXPECT_EQ(On(L"DVD", L"Apps\\PowerManager"), Discs{});  // the description read before is gone too

    OpenSample("qenhdrcv.ini");
    WriteFile(Path(), "; nothing on any disc yet\r\n\r\n   # really nothing\n");
    EXPECT_TRUE(m_ini.Open(Path()));
    EXPECT_EQ(LogTexts().size(), 1u);
    EXPECT_EQ(On(L"DVD", L"Apps\\PowerManager"), Discs{});
}

struct BadSample {
    const char* file;
    const wchar_t* position;
    const wchar_t* what;
};

// The same table stands in tests/data/installdb/README.md.
const BadSample BadSamples[] = {
    {"bad-key-outside-section.ini", L"line 2, column 1", L"the key \"Disc1\" stands outside any [section]."},
    {"bad-disc-zero.ini", L"line 3, column 3", L"the key \"Disc0\" is not Disc followed by a disc number from 1."},
    {"bad-disc-name.ini", L"line 2, column 1", L"the key \"DiscTwo\" is not Disc followed by a disc number from 1."},
    {"bad-repeated-section.ini", L"line 4, column 1",
     L"the section [dvd] stands twice (media types are compared without regard to case)."},
    {"bad-repeated-disc.ini", L"line 3, column 1", L"disc 1 is listed twice in [DVD]."},
    {"bad-repeated-key.ini", L"line 3, column 1", L"the key \"label\" stands twice in [CD]."},
    {"bad-empty-key.ini", L"line 2, column 2", L"the line has no key before \"=\"."},
    {"bad-no-equals.ini", L"line 3, column 1", L"the line is neither a [section], a key=value line nor a comment."},
    {"bad-unclosed-section.ini", L"line 2, column 1", L"the section header has no closing \"]\"."},
    {"bad-text-after-section.ini", L"line 1, column 7", L"nothing may follow a section header on its line."},
    {"bad-empty-section-name.ini", L"line 1, column 1", L"the section header names no media type."},
    {"bad-utf8.ini", L"line 2, column 12",
     L"the text is not valid UTF-8 (the file must be UTF-8, or UTF-16LE with a byte-order mark)."},
    {"bad-utf16-odd.ini", L"line 2, column 1", L"the file ends in the middle of a UTF-16 character."},
};

TEST_F(RecoveryIni, EveryBadSampleIsBadDataNamingFileLineAndColumnAndKeepsTheDescriptionHeldBefore)
{
    OpenSample("qenhdrcv.ini");
    for (const auto& sample : BadSamples) {
        SCOPED_TRACE(sample.file);
        WriteFile(Path(), quen::test::InstallDbSample(sample.file));
        EXPECT_EQ(quen::test::ThrownMessage<EDataException>([&] { m_ini.Open(Path()); }),
                  L"Recovery-media description " + Path() + L", " + sample.position + L": " + sample.what);
    }
    std::filesystem::create_directories(Host(Dir() + L"folder.ini"));
    EXPECT_THROW(m_ini.Open(Dir() + L"folder.ini"), EFileException);
    EXPECT_EQ(On(L"DVD", L"Apps\\PowerManager"), Discs{1});
    m_ini.Clear();
    EXPECT_EQ(On(L"DVD", L"Apps\\PowerManager"), Discs{});
}

}  // namespace
