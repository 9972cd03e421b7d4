#include <quen/InstallDB.h>

#include "fakes/Thrown.h"
#include "fakes/TestMachine.h"
#include "unit/support/installdb/Samples.h"

#include <filesystem>
#include <fstream>

namespace {

class InstallDatabase : public quen::test::TestMachine {
protected:
    std::wstring Path() const { return Dir() + L"Image\\image.json"; }

    std::wstring Write(const std::string& content) const
    {
        WriteFile(Path(), content);
        return Path();
    }

    std::wstring WriteSample(const std::string& name) const { return Write(quen::test::InstallDbSample(name)); }
};

TEST_F(InstallDatabase, ReadsEveryPartInFileOrderPartsMayBeLeftOutKeysMatchInAnyCaseAndTextMayBeEscaped)
{
    const CInstallDB sample(WriteSample("image.json"));
    EXPECT_EQ(sample.FoundationImage()[IdfFields::PathToRelease], L"FI\\7A0310");
    ASSERT_EQ(sample.Applications().Size(), 2u);
    EXPECT_EQ((*(sample.Applications().BeginC() + 1))->Label(),
              L"\"Kamera-Treiber f\u00fcr Modell 7A\" (applications[1] of " + Path() + L")");
    ASSERT_EQ(sample.Modules().Size(), 2u);
    EXPECT_EQ((*(sample.Modules().BeginC() + 1))->GetFieldAsString(L"pathtorelease", true), L"Modules\\Big");

    const CInstallDB db(Write("\xEF\xBB\xBF{ \"IMAGE\": { \"waitforsetupdelay\": \"5\", \"CustomerLabel\": "
                              "\"Caf\\u00e9 \\\"7A\\\"\" }, \"Modules\": [ {}, { \"os\": \"x\" } ] }"));
    EXPECT_EQ(db.ImageRecord.GetFieldAsLong(IdfFields::WaitForSetupDelay), 5);
    EXPECT_EQ(db.ImageRecord[IdfFields::CustomerLabel], L"Caf\u00e9 \"7A\"");
    EXPECT_EQ(db.FoundationImage().Label(), L"(unnamed)");
    EXPECT_EQ(db.Applications().Size(), 0u);
    ASSERT_EQ(db.Modules().Size(), 2u);
    EXPECT_EQ((*(db.Modules().BeginC() + 1))->GetFieldAsString(IdfFields::OS, true), L"x");
}

TEST_F(InstallDatabase, AMissingFolderInvalidOrUnreadablePathIsAFileErrorNamingIt)
{
    const auto fails = [this](const std::wstring& path, EFileException::EKind kind, const std::wstring& start) {
        const auto e = quen::test::Thrown<EFileException>([&] { CInstallDB db(path); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->Kind(), kind);
        EXPECT_EQ(e->Message().rfind(start, 0), 0u) << e->GetText();
    };
    fails(Path(), EFileException::NotFound, L"Install database " + Path() + L" does not exist.");
    fails(L"C:\\Image\\image?.json", EFileException::BadPath, L"");
    std::filesystem::create_directories(Host(Path()));
    fails(Path(), EFileException::OpenFailed, L"Install database " + Path() + L" is a folder, not a file.");
    std::filesystem::remove(Host(Path()));
    WriteSample("image.json");
    std::filesystem::permissions(Host(Path()), std::filesystem::perms::none);
    if (std::ifstream(Host(Path())).is_open())
        GTEST_SKIP() << "this user reads files whatever their permissions";
    fails(Path(), EFileException::OpenFailed, L"Install database " + Path() + L" cannot be opened: ");
}

struct BadSample {
    const char* file;
    const wchar_t* position;
    const wchar_t* what;  // the message's end, or for syntax errors a part of it
};

// The same table stands in tests/data/installdb/README.md.
const BadSample BadSamples[] = {
    {"bad-empty.json", L"line 1, column 1", L"unexpected end of input"},
    {"bad-trailing-comma.json", L"line 4, column 3", L"unexpected ']'"},
    {"bad-unterminated.json", L"line 4, column 1", L"unexpected end of input; expected '}'"},
    {"bad-utf8.json", L"line 1, column 26", L"ill-formed UTF-8 byte"},
    {"bad-top-level-list.json", L"line 1, column 1", L"the database must be an object, not a list."},
    {"bad-unknown-key.json", L"line 3, column 3",
     L"unknown key \"module\"; the keys are image, foundationImage, applications and modules."},
    {"bad-repeated-part.json", L"line 3, column 3", L"the key \"Modules\" stands twice."},
    {"bad-list-not-list.json", L"line 2, column 14", L"\"modules\" must be a list of records, not an object."},
    {"bad-record-not-object.json", L"line 4, column 5", L"applications[1] must be a record (an object), not a text."},
    {"bad-field-number.json", L"line 3, column 26",
     L"the field \"WaitForSetupDelay\" of image must be a text, not a number."},
    {"bad-field-boolean.json", L"line 3, column 53",
     L"the field \"Temporary\" of modules[0] must be a text, not a boolean."},
    {"bad-field-null.json", L"line 2, column 32", L"the field \"BLID\" of foundationImage must be a text, not null."},
    {"bad-repeated-field.json", L"line 5, column 7",
     L"modules[0] has the field \"pathToRelease\" twice (field names are compared without regard to case)."},
};

TEST_F(InstallDatabase, EveryBadSampleIsBadDataNamingFileLineAndColumnCountedInCharacters)
{
    for (const auto& sample : BadSamples) {
        SCOPED_TRACE(sample.file);
        WriteSample(sample.file);
        const std::wstring message = quen::test::ThrownMessage<EDataException>([&] { CInstallDB db(Path()); });
        const std::wstring start = L"Install database " + Path() + L", " + sample.position + L": ";
        EXPECT_EQ(message.rfind(start, 0), 0u) << message;
        EXPECT_NE(message.find(sample.what, start.size()), std::wstring::npos) << message;
    }
    // Columns count characters, not bytes.
    Write("{\n  \"image\": { \"CustomerLabel\": \"\xC3\xBC\xE2\x82\xAC\", \"OS\": 7 }\n}");
    EXPECT_NE(quen::test::ThrownMessage<EDataException>([&] { CInstallDB db(Path()); }).find(L", line 2, column 43: "),
              std::wstring::npos);
}

}  // namespace
