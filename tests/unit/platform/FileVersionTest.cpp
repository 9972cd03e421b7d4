// Version resources of PE files that no one here wrote: Wine's own DLLs and
// programs, some with a version resource, most without. Each file's version
// is checked against a plain scan of its bytes for the fixed part's
// signature, which knows nothing of the resource tree.
#include "fakes/TestMachine.h"

#include <quen/Machine.h>

#include "platform/FileVersion.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace quen::platform {
namespace {

namespace fs = std::filesystem;

// Wine's library folder: under Wine through drive Z:, which Wine maps to the
// host's root (asked first: there a POSIX path would name the current drive);
// on Linux the host's own.
std::optional<fs::path> WineLibraryFolder()
{
    for (const char* folder : {"Z:\\usr\\lib\\x86_64-linux-gnu\\wine", "Z:\\usr\\lib\\wine", "Z:\\usr\\lib64\\wine",
                               "/usr/lib/x86_64-linux-gnu/wine", "/usr/lib/wine", "/usr/lib64/wine"}) {
        std::error_code ec;
        if (fs::is_directory(folder, ec))
            return fs::path(folder);
    }
    return std::nullopt;
}

// The version in the one fixed part the file's bytes hold; nothing when they
// hold none, or several (a reader that quotes the signature in its code).
struct Scan {
    int signatures = 0;
    FileVersion version;
};

Scan ScanForFixedPart(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char signature[] = {'\xBD', '\x04', '\xEF', '\xFE'};
    Scan scan;
    for (std::size_t at = bytes.find(signature, 0, 4); at != std::string::npos;
         at = bytes.find(signature, at + 1, 4)) {
        if (++scan.signatures > 1 || at + 16 > bytes.size())
            continue;
        uint16_t words[4];
        std::memcpy(words, bytes.data() + at + 8, sizeof words);
        scan.version = {words[1], words[0], words[3], words[2]};
    }
    return scan;
}

class WineFiles : public quen::test::TestMachine {};

TEST_F(WineFiles, VersionResourcesOfWinesOwnDllsReadAsTheirBytesSay)
{
    const std::optional<fs::path> wine = WineLibraryFolder();
    if (!wine)
        GTEST_SKIP() << "Wine is not installed here: no DLLs of its own to read";
    // On Linux the folder becomes drive W:; under Wine its path is a Windows path already.
    if (HasMachineRoot())
        MapDrive(L'W', *wine);
    int withVersion = 0, withoutVersion = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*wine)) {
        // The PE files lie in the *-windows folders; small ones keep the test quick.
        if (!entry.is_regular_file() || entry.file_size() > 160 * 1024 ||
            !entry.path().parent_path().filename().string().ends_with("-windows"))
            continue;
        const Scan scan = ScanForFixedPart(entry.path());
        if (scan.signatures > 1)
            continue;
        const fs::path relative = entry.path().lexically_relative(*wine);
        const std::wstring path =
            HasMachineRoot() ? L"W:\\" + quen::test::PathText(relative) : quen::test::PathText(entry.path());
        SCOPED_TRACE(quen::test::PathText(entry.path()));
        FileVersion version;
        if (scan.signatures == 0) {
            ++withoutVersion;
            EXPECT_FALSE(HasVersionResource(path));
            EXPECT_FALSE(ReadFileVersion(path, version));
            continue;
        }
        ++withVersion;
        EXPECT_TRUE(HasVersionResource(path));
        ASSERT_TRUE(ReadFileVersion(path, version));
        EXPECT_EQ(version.major, scan.version.major);
        EXPECT_EQ(version.minor, scan.version.minor);
        EXPECT_EQ(version.build, scan.version.build);
        EXPECT_EQ(version.revision, scan.version.revision);
    }
    if (withVersion == 0 || withoutVersion == 0)
        GTEST_SKIP() << "Wine's folder " << wine->string() << " holds " << withVersion << " small files with and "
                     << withoutVersion << " without a version resource: too few to compare";
    RecordProperty("with_version", withVersion);
    RecordProperty("without_version", withoutVersion);
}

}  // namespace
}  // namespace quen::platform
