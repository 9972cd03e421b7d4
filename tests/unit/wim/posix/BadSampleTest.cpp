// Files that are not good WIM files, and what the library makes of each:
// never a crash, never a read out of bounds, the file never changed, and no
// working copy left behind. Each test writes its sample into the folder
// wim-samples beside the test program as well, where tests/data/wim/README.md
// describes them.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/WimBytes.h"
#include "fakes/posix/WimMachine.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace quen::test {
namespace {

namespace err = platform::err;

constexpr wchar_t kNone[] = L"<none>";

struct Sample {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
    bool scrambled;            // what IsEncrypted says
    const wchar_t* releaseId;  // what GetWimTag reads, or kNone
    uint32_t openError;        // the error CWIMFile's constructor reports; 0: it opens
};

void Write(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Header() { return PlainHeader() + std::string(192, '\0'); }

WimImage Module(const std::string& releaseId)
{
    WimImage image;
    image.files = {{"setup.cmd", "@echo setup\r\n"}, {"data.bin", std::string(70000, 'd')}};
    image.properties = {{"RELEASEID", releaseId}};
    return image;
}

void Truncate(const std::filesystem::path& file, double keep)
{
    std::filesystem::resize_file(file, static_cast<std::uintmax_t>(std::filesystem::file_size(file) * keep));
}

void FlipByte(const std::filesystem::path& file, std::streamoff at)
{
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    stream.seekg(at);
    const char byte = static_cast<char>(stream.get() ^ 0x5A);
    stream.seekp(at);
    stream.put(byte);
}

const Sample kSamples[] = {
    {"short-5.wim", [](const auto& f) { Write(f, "MSWIM"); }, false, kNone, err::FileCorrupt},
    {"short-10.wim", [](const auto& f) { Write(f, std::string(10, 'B')); }, true, kNone, err::FileCorrupt},
    {"short-11-mark.wim", [](const auto& f) { Write(f, XmlTail(L"<WIM>").substr(0, 11)); }, true, kNone,
     err::FileCorrupt},
    {"tail-no-image.wim", [](const auto& f) { Write(f, Header() + XmlTail(L"<WIM><RELEASEID>R-1</RELEASEID></WIM>")); },
     false, kNone, err::InvalidData},
    {"tail-unterminated.wim",
     [](const auto& f) { Write(f, Header() + XmlTail(L"<WIM><IMAGE INDEX=\"1\"><RELEASEID>R-1")); }, false, kNone,
     err::InvalidData},
    {"tail-far.wim",
     [](const auto& f) {
         Write(f, Header() + XmlTail(L"<WIM><IMAGE><RELEASEID>R-1</RELEASEID></IMAGE></WIM>") +
                      std::string(32768, ' '));
     },
     false, kNone, err::InvalidData},
    {"tail-odd.wim", [](const auto& f) { Write(f, Header() + XmlTail(L"<WIM><IMAGE><RELEASEID>R-1</RELEASEID>") + "<"); },
     false, L"R-1", err::InvalidData},
    {"tail-zero.wim",
     [](const auto& f) {
         Write(f, Header() + XmlTail(L"<WIM><IMAGE>") + std::string(2, '\0') + ToUtf16Le(L"<RELEASEID>R-1</RELEASEID>"));
     },
     false, kNone, err::InvalidData},
    {"truncated.wim",
     [](const auto& f) {
         WriteWim(f, {Module("R-1")});
         Truncate(f, 0.5);
     },
     false, kNone, err::FileCorrupt},
    {"header-damaged.wim",
     [](const auto& f) {
         WriteWim(f, {Module("R-1")});
         std::fstream(f, std::ios::in | std::ios::out | std::ios::binary).write("NOT A WIM HEADER", 16);
     },
     true, L"R-1", err::InvalidData},
    {"scrambled-truncated.wim",
     [](const auto& f) {
         WriteWim(f, {Module("R-1")});
         ToggleHeader(f);
         Truncate(f, 0.9);
     },
     true, kNone, err::FileCorrupt},
    {"integrity-damaged.wim",
     [](const auto& f) {
         WriteWim(f, {Module("R-1")}, {.integrityTable = true, .compressed = false});
         FlipByte(f, 1000);
     },
     false, L"R-1", err::FileCorrupt},
    {"xml-too-far.wim",
     [](const auto& f) {
         WimImage image = Module("R-1");
         image.properties.emplace_back("NOTES", std::string(20000, 'n'));
         WriteWim(f, {image});
     },
     false, kNone, 0},
};

std::filesystem::path KeptSamples()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "wim-samples";
}

class BadSampleTest : public WimMachine, public ::testing::WithParamInterface<Sample> {};

TEST_P(BadSampleTest, GivesItsDocumentedOutcome)
{
    const Sample& sample = GetParam();
    const std::wstring path = Dir() + L"samples\\" + FromUtf8Lossy(sample.name);
    const std::wstring work = Dir() + L"WIMs\\";
    std::filesystem::create_directories(Host(Dir() + L"samples"));
    CDirectory::Create(work);
    sample.make(Host(path));
    std::filesystem::create_directories(KeptSamples());
    std::filesystem::copy_file(Host(path), KeptSamples() / sample.name,
                               std::filesystem::copy_options::overwrite_existing);
    const std::string bytes = ReadFile(path);

    EXPECT_EQ(CWIMFile::IsEncrypted(path.c_str()), sample.scrambled);
    std::wstring releaseId = kNone;
    CWIMFile::GetWimTag(path.c_str(), L"RELEASEID", releaseId);
    EXPECT_EQ(releaseId, sample.releaseId);

    try {
        CWIMFile wim(path.c_str(), work.c_str(), nullptr);
        EXPECT_EQ(sample.openError, 0u) << "opened";
        EXPECT_GE(wim.GetImageCount(), 1u);
    } catch (const EFileException& e) {
        EXPECT_EQ(e.Message(), GetErrorText(sample.openError)) << ToUtf8(e.GetText());
        EXPECT_EQ(e.Kind(), EFileException::OpenFailed);
    }
    EXPECT_TRUE(std::filesystem::is_empty(Host(work))) << "a working copy was left behind";
    EXPECT_EQ(ReadFile(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(Samples, BadSampleTest, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace quen::test
