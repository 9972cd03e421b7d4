// The install database and the recovery-media description, read from the
// sample files of tests/data/installdb; its README lists the same bad samples.
#include <quen/InstallDB.h>

#include "fakes/Thrown.h"
#include "fakes/TestMachine.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace {

std::string Sample(const std::string& name)
{
    std::ifstream in(std::filesystem::path(QUEN_TEST_DATA_DIR) / "installdb" / name, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing test sample " + name);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

struct BadSample {
    const char* file;
    const wchar_t* position;
    const wchar_t* what;  // the message's end, or for syntax errors a part of it
};

// Each sample, opened through `open`, is bad data whose message starts with `start`, the position and ": ".
void ExpectBadData(std::span<const BadSample> samples, const std::wstring& start,
                   const std::function<void(const std::string&)>& open)
{
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.file);
        const std::wstring message = quen::test::ThrownMessage<EDataException>([&] { open(Sample(sample.file)); });
        const std::wstring position = start + sample.position + L": ";
        EXPECT_EQ(message.rfind(position, 0), 0u) << message;
        EXPECT_NE(message.find(sample.what, position.size()), std::wstring::npos) << message;
    }
}

class InstallDatabase : public quen::test::TestMachine {
protected:
    std::wstring Path() const { return Dir() + L"Image\\image.json"; }

    std::wstring Write(const std::string& content) const
    {
        WriteFile(Path(), content);
        return Path();
    }
};

TEST_F(InstallDatabase, PartsMayBeLeftOutKeysMatchWithoutRegardToCaseAndTextMayBeEscaped)
{
    const CInstallDB db(Write("\xEF\xBB\xBF{ \"IMAGE\": { \"waitforsetupdelay\": \"5\", \"CustomerLabel\": "
                              "\"Caf\\u00e9 \\\"7A\\\"\" }, \"Modules\": [ {}, { \"os\": \"x\" } ] }"));
    EXPECT_EQ(db.ImageRecord.GetFieldAsLong(IdfFields::WaitForSetupDelay), 5);
    EXPECT_EQ(db.ImageRecord[IdfFields::CustomerLabel], L"Caf\u00e9 \"7A\"");
    EXPECT_EQ(db.FoundationImage().Label(), L"(unnamed)");
    ASSERT_EQ(db.Modules().Size(), 2u);
    EXPECT_EQ((*(db.Modules().BeginC() + 1))->GetFieldAsString(IdfFields::OS, true), L"x");
}

TEST_F(InstallDatabase, AMissingFolderOrInvalidPathIsAFileErrorNamingIt)
{
    const auto thrown = [](const std::wstring& path) {
        return quen::test::Thrown<EFileException>([&] { CInstallDB db(path); }).value();
    };
    EXPECT_EQ(thrown(Path()).Message().rfind(L"Install database " + Path() + L" does not exist.", 0), 0u);
    EXPECT_EQ(thrown(L"C:\\Image\\image?.json").Kind(), EFileException::BadPath);
    std::filesystem::create_directories(Host(Path()));
    EXPECT_EQ(thrown(Path()).Message().rfind(L"Install database " + Path() + L" is a folder, not a file.", 0), 0u);
}

TEST_F(InstallDatabase, EveryBadSampleIsBadDataNamingFileLineAndColumnCountedInCharacters)
{
    const BadSample samples[] = {
        {"bad-empty.json", L"line 1, column 1", L"unexpected end of input"},
        {"bad-trailing-comma.json", L"line 4, column 3", L"unexpected ']'"},
        {"bad-unterminated.json", L"line 4, column 1", L"unexpected end of input; expected '}'"},
        {"bad-utf8.json", L"line 1, column 26", L"ill-formed UTF-8 byte"},
        {"bad-top-level-list.json", L"line 1, column 1", L"the database must be an object, not a list."},
        {"bad-unknown-key.json", L"line 3, column 3",
         L"unknown key \"module\"; the keys are image, foundationImage, applications and modules."},
        {"bad-repeated-part.json", L"line 3, column 3", L"the key \"Modules\" stands twice."},
        {"bad-list-not-list.json", L"line 2, column 14", L"\"modules\" must be a list of records, not an object."},
        {"bad-record-not-object.json", L"line 4, column 5",
         L"applications[1] must be a record (an object), not a text."},
        {"bad-field-number.json", L"line 3, column 26",
         L"the field \"WaitForSetupDelay\" of image must be a text, not a number."},
        {"bad-field-boolean.json", L"line 3, column 53",
         L"the field \"Temporary\" of modules[0] must be a text, not a boolean."},
        {"bad-field-null.json", L"line 2, column 32",
         L"the field \"BLID\" of foundationImage must be a text, not null."},
        {"bad-repeated-field.json", L"line 5, column 7",
         L"modules[0] has the field \"pathToRelease\" twice (field names are compared without regard to case)."},
    };
    ExpectBadData(samples, L"Install database " + Path() + L", ",
                  [this](const std::string& content) { CInstallDB db(Write(content)); });
    // Columns count characters, not bytes.
    Write("{\n  \"image\": { \"CustomerLabel\": \"\xC3\xBC\xE2\x82\xAC\", \"OS\": 7 }\n}");
    EXPECT_NE(quen::test::ThrownMessage<EDataException>([&] { CInstallDB db(Path()); }).find(L", line 2, column 43: "),
              std::wstring::npos);
}

using Discs = std::vector<int>;

class RecoveryIni : public quen::test::TestMachine {
protected:
    std::wstring Path() const { return Dir() + L"Source\\qenhdrcv.ini"; }

    void OpenSample(const std::string& name)
    {
        WriteFile(Path(), Sample(name));
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

TEST_F(RecoveryIni, FindsTheDiscsThatListAPathInKeyOrderIgnoringCaseSlashesAndBlanks)
{
    const std::tuple<const wchar_t*, const wchar_t*, Discs, bool> lookups[] = {  // media, path, discs, below
        {L"CD", L"FI\\7A0310", {}, false},
        {L"dvd", L"apps/POWERMANAGER", {1}, false},
        {L"Dvd", L"  \\Apps\\PowerManager\\ ", {1}, false},
        // The entries themselves are written "Modules\Office\ " and "Modules/Big/part1".
        {L"DVD", L"modules\\office", {2}, false},
        {L"DVD", L"Modules\\Big\\Part1", {2}, false},
        // Entries below the path count only when asked, below a whole component.
        {L"DVD", L"Modules\\Big", {}, false},
        {L"DVD", L"Modules\\Big\\", {2, 3}, true},
        {L"DVD", L"Modules\\Bi", {}, true},
        {L"CD", L"Modules\\Big", {3, 2}, true},  // the order of the keys, not of the numbers
        {L"BD", L"Apps\\PowerManager", {}, false},
        {L"DVD", L"  ", {}, true},
    };
    for (const std::string sample : {"qenhdrcv.ini", "qenhdrcv-utf16.ini"}) {
        OpenSample(sample);
        for (const auto& [mediaType, path, discs, matchBelow] : lookups)
            EXPECT_EQ(On(mediaType, path, matchBelow), discs) << sample;
    }
    EXPECT_TRUE(m_ini.MediaTypeContains(L"DVD", L"Modules\\Big", nullptr, true));
    EXPECT_FALSE(m_ini.MediaTypeContains(L"DVD", L"Modules\\Big", nullptr, false));

    WriteFile(Path(), "\xEF\xBB\xBF[DVD]\r\nDisc4 = Caf\xC3\xA9\r\n");
    ASSERT_TRUE(m_ini.Open(Path()));
    EXPECT_EQ(On(L"DVD", L"CAF\u00c9"), Discs{4});
}

TEST_F(RecoveryIni, BadSamplesAreBadDataNamingFileLineAndColumnAndKeepWhatWasReadButAMissingFileEmptiesIt)
{
    OpenSample("qenhdrcv.ini");
    const BadSample samples[] = {
        {"bad-key-outside-section.ini", L"line 2, column 1", L"the key \"Disc1\" stands outside any [section]."},
        {"bad-disc-zero.ini", L"line 3, column 3", L"the key \"Disc0\" is not Disc followed by a disc number from 1."},
        {"bad-disc-name.ini", L"line 2, column 1",
         L"the key \"DiscTwo\" is not Disc followed by a disc number from 1."},
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
    ExpectBadData(samples, L"Recovery-media description " + Path() + L", ", [this](const std::string& content) {
        WriteFile(Path(), content);
        m_ini.Open(Path());
    });
    std::filesystem::create_directories(Host(Dir() + L"folder.ini"));
    EXPECT_THROW(m_ini.Open(Dir() + L"folder.ini"), EFileException);
    EXPECT_EQ(On(L"DVD", L"Apps\\PowerManager"), Discs{1});
    EXPECT_FALSE(m_ini.Open(Dir() + L"missing.ini"));  // a missing file opens empty
    EXPECT_EQ(On(L"DVD", L"Apps\\PowerManager"), Discs{});
}

}  // namespace
