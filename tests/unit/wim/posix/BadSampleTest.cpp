// Damaged WIM files, and what the library makes of each: never a crash,
// never a read out of bounds, the file never changed, and no working copy
// left behind. Each sample is kept in the folder wim-samples beside the test
// program as well, where tests/data/wim/README.md describes them.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/posix/WimBuilder.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"

#include <fstream>
#include <functional>

namespace quen::test {
namespace {

namespace fs = std::filesystem;
namespace err = platform::err;

constexpr wchar_t kNone[] = L"<none>";

constexpr auto kInOut = std::ios::in | std::ios::out | std::ios::binary;

// A real module WIM with a release ID, damaged by `damage`.
struct Sample {
    const char* name;
    std::function<void(const fs::path&)> damage;
    bool scrambled;            // what IsEncrypted says
    const wchar_t* releaseId;  // what GetWimTag reads, or kNone
    uint32_t openError;        // the error CWIMFile's constructor reports; 0: it opens
    WimOptions options = {};
    std::size_t notes = 0;  // bytes of an extra element that push the description back
};

const Sample kSamples[] = {
    {"short-10.wim", [](const fs::path& f) { std::ofstream(f, std::ios::binary) << std::string(10, 'B'); }, true,
     kNone, err::FileCorrupt},
    {"header-damaged.wim", [](const fs::path& f) { std::fstream(f, kInOut).write("NOT A WIM HEADER", 16); }, true,
     L"R-1", err::InvalidData},
    {"scrambled-truncated.wim",
     [](const fs::path& f) {
         ToggleHeader(f);
         fs::resize_file(f, fs::file_size(f) * 9 / 10);
     },
     true, kNone, err::FileCorrupt},
    {"integrity-damaged.wim", [](const fs::path& f) { std::fstream(f, kInOut).seekp(1000).put('Z'); }, false, L"R-1",
     err::FileCorrupt, {.integrityTable = true, .compressed = false}},
    {"xml-too-far.wim", [](const fs::path&) {}, false, kNone, 0, {}, 20000},
};

using BadSampleTest = WimMachine;

TEST_F(BadSampleTest, EachGivesItsDocumentedOutcomeAndLeavesTheFileAndTheWorkFolderAlone)
{
    const std::wstring work = Dir() + L"WIMs\\";
    CDirectory::Create(work);
    const fs::path kept = fs::read_symlink("/proc/self/exe").parent_path() / "wim-samples";
    fs::create_directories(kept);
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.name);
        WimImage image;
        image.files = {{"setup.cmd", "@echo setup\r\n"}, {"data.bin", std::string(70000, 'd')}};
        image.properties = {{"RELEASEID", "R-1"}, {"NOTES", std::string(sample.notes, 'n')}};
        const std::wstring path = MakeWim(Dir() + L"samples\\" + FromUtf8Lossy(sample.name), {image}, sample.options);
        sample.damage(Host(path));
        fs::copy_file(Host(path), kept / sample.name, fs::copy_options::overwrite_existing);
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
            EXPECT_EQ(e.Message(), GetErrorText(sample.openError));
            EXPECT_EQ(e.Kind(), EFileException::OpenFailed);
        }
        EXPECT_TRUE(fs::is_empty(Host(work))) << "a working copy was left behind";
        EXPECT_EQ(ReadFile(path), bytes);
    }
}

}  // namespace
}  // namespace quen::test
