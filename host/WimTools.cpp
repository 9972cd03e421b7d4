#include "WimTools.h"

#include "ExitCodes.h"
#include "Machine.h"
#include "Text.h"

#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include <cstdio>
#include <memory>
#include <string>

namespace quen::host {

namespace {

constexpr wchar_t kPackageDrive = L'W';
constexpr wchar_t kOutputDrive = L'X';

// The package's Windows path.
std::wstring Package(const std::filesystem::path& file)
{
    const std::filesystem::path full = std::filesystem::absolute(file);
    return Reach(kPackageDrive, full.parent_path()) + full.filename().wstring();
}

// The folder for the unscrambled working copy of a scrambled package: the
// machine's temporary folder, which a fresh machine root does not have yet.
std::wstring WorkFolder()
{
    const std::wstring folder = COsServices::GetTempFolder();
    std::filesystem::create_directories(quen::HostPath(folder));
    return folder;
}

// The description as wimgapi gives it starts with a byte-order mark.
std::wstring WithoutMark(std::wstring text)
{
    if (!text.empty() && text.front() == 0xFEFF)
        text.erase(0, 1);
    return text;
}

// Opens the package; null, with a message naming the user's file, when it
// cannot be read as a WIM file (its working copy is the machine's, not the
// user's, so the library's message names the wrong file).
std::unique_ptr<CWIMFile> Open(const std::filesystem::path& file)
{
    try {
        return std::make_unique<CWIMFile>(Package(file).c_str(), WorkFolder().c_str(), nullptr);
    } catch (const EBaseException& e) {
        std::string why = Utf8(e.Message());
        why.erase(why.find_last_not_of(" \r\n") + 1);
        std::fprintf(stderr, "quen-install: %s cannot be read as a WIM package: %s\n", file.string().c_str(),
                     why.c_str());
        return nullptr;
    }
}

}  // namespace

int WimInfo(const std::filesystem::path& file)
{
    const std::wstring path = Package(file);
    const bool scrambled = CWIMFile::IsEncrypted(path.c_str());
    const std::unique_ptr<CWIMFile> wim = Open(file);
    if (!wim)
        return kExitFailed;
    std::wstring xml;
    wim->GetImageInformation(xml);
    std::printf("scrambled: %s\nimages: %u\n%s\n", scrambled ? "yes" : "no", wim->GetImageCount(),
                Utf8(WithoutMark(xml)).c_str());
    return kExitCompleted;
}

int WimTag(const std::filesystem::path& file, const std::string& tag)
{
    std::wstring value;
    if (!CWIMFile::GetWimTag(Package(file).c_str(), Wide(tag).c_str(), value)) {
        std::fprintf(stderr, "quen-install: no image of %s has %s\n", file.string().c_str(), tag.c_str());
        return kExitNegative;
    }
    std::printf("%s\n", Utf8(value).c_str());
    return kExitCompleted;
}

int WimExtract(const std::filesystem::path& file, const std::filesystem::path& folder, uint32_t index)
{
    if (std::filesystem::exists(folder) && !std::filesystem::is_empty(folder)) {
        std::fprintf(stderr, "quen-install: %s is not empty; extracting would empty it\n", folder.string().c_str());
        return kExitFailed;
    }
    const std::unique_ptr<CWIMFile> wim = Open(file);
    if (!wim)
        return kExitFailed;
    if (index < 1 || index > wim->GetImageCount()) {
        std::fprintf(stderr, "quen-install: %s has no image %u (it has %u)\n", file.string().c_str(), index,
                     wim->GetImageCount());
        return kExitFailed;
    }
    std::filesystem::create_directories(folder);
    wim->ExtractImage(Reach(kOutputDrive, folder).c_str(), index);
    std::printf("%s\n", std::filesystem::absolute(folder).string().c_str());
    return kExitCompleted;
}

int WimDescramble(const std::filesystem::path& file, const std::filesystem::path& folder)
{
    const std::wstring package = Package(file);
    if (!CWIMFile::IsEncrypted(package.c_str())) {
        std::fprintf(stderr, "quen-install: %s is not scrambled\n", file.string().c_str());
        return kExitNegative;
    }
    std::filesystem::create_directories(folder);
    const std::wstring copy = CWIMFile::Decrypt(package.c_str(), Reach(kOutputDrive, folder).c_str());
    // A file that is no WIM at all reads as scrambled too: its "unscrambled"
    // copy would be garbage.
    if (CWIMFile::IsEncrypted(copy.c_str())) {
        std::filesystem::remove(quen::HostPath(copy));
        std::fprintf(stderr, "quen-install: %s is not a WIM package\n", file.string().c_str());
        return kExitFailed;
    }
    std::printf("%s\n", quen::HostPath(copy).string().c_str());
    return kExitCompleted;
}

}  // namespace quen::host
