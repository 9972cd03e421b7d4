#include "fakes/posix/WimBuilder.h"

#include <wimlib.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace quen::test {
namespace {

struct WimFree {
    void operator()(WIMStruct* wim) const { wimlib_free(wim); }
};
using WimPtr = std::unique_ptr<WIMStruct, WimFree>;

void Check(int code, const std::string& what)
{
    if (code != 0)
        throw std::runtime_error(what + ": " + wimlib_get_error_string(static_cast<wimlib_error_code>(code)));
}

// wimlib reads the files' data only when it writes the WIM: `source` must
// outlive the write.
void AddImage(WIMStruct* wim, const WimImage& image, const TempHostDir& source)
{
    for (const auto& [path, content] : image.files) {
        const auto host = source.Path() / path;
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << content;
    }
    Check(wimlib_add_image(wim, source.Path().c_str(), nullptr, nullptr, 0), "add image");
    wimlib_wim_info info{};
    Check(wimlib_get_wim_info(wim, &info), "wim info");
    const int index = static_cast<int>(info.image_count);
    for (const auto& [name, value] : image.properties)
        Check(wimlib_set_image_property(wim, index, name.c_str(), value.c_str()), "set property " + name);
}

}  // namespace

void WriteWim(const std::filesystem::path& file, const std::vector<WimImage>& images, const WimOptions& options)
{
    WIMStruct* created = nullptr;
    Check(wimlib_create_new_wim(options.compressed ? WIMLIB_COMPRESSION_TYPE_LZX : WIMLIB_COMPRESSION_TYPE_NONE,
                                &created),
          "create");
    const WimPtr wim(created);
    std::vector<TempHostDir> sources(images.size());
    for (std::size_t i = 0; i < images.size(); ++i)
        AddImage(wim.get(), images[i], sources[i]);
    const int flags = options.integrityTable ? WIMLIB_WRITE_FLAG_CHECK_INTEGRITY : 0;
    Check(wimlib_write(wim.get(), file.c_str(), WIMLIB_ALL_IMAGES, flags, 1), "write " + file.string());
}

std::size_t SplitWim(const std::filesystem::path& file, const std::filesystem::path& firstPart, uint64_t partBytes)
{
    WIMStruct* opened = nullptr;
    Check(wimlib_open_wim(file.c_str(), 0, &opened), "open " + file.string());
    const WimPtr wim(opened);
    Check(wimlib_split(wim.get(), firstPart.c_str(), partBytes, 0), "split " + file.string());
    const auto part = [&](std::size_t number) {
        const auto name = firstPart.stem().string() + std::to_string(number) + firstPart.extension().string();
        return firstPart.parent_path() / name;
    };
    std::size_t parts = 1;
    while (std::filesystem::exists(part(parts + 1)))
        ++parts;
    return parts;
}

void ToggleHeader(const std::filesystem::path& file)
{
    constexpr char kKey[] = "Amber Lighthouse";
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    char header[16];
    if (!stream.read(header, sizeof header))
        throw std::runtime_error("shorter than a header: " + file.string());
    for (std::size_t i = 0; i < sizeof header; ++i)
        header[i] = static_cast<char>(header[i] ^ kKey[i]);
    stream.seekp(0);
    stream.write(header, sizeof header);
}

std::wstring WimMachine::MakeWim(const std::wstring& path, const std::vector<WimImage>& images,
                                 const WimOptions& options)
{
    std::filesystem::create_directories(Host(path).parent_path());
    WriteWim(Host(path), images, options);
    return path;
}

WimImage WimMachine::ModuleImage(const std::string& releaseId, const std::string& setup)
{
    WimImage image;
    image.files = {{"setup.cmd", "@echo " + setup + "\r\n"}, {"data/readme.txt", "read me"}};
    if (!releaseId.empty())
        image.properties = {{"RELEASEID", releaseId}};
    return image;
}

std::vector<std::pair<std::string, std::string>> WimMachine::FilesIn(const std::wstring& folder) const
{
    std::vector<std::pair<std::string, std::string>> files;
    const auto root = Host(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ostringstream content;
        content << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        files.emplace_back(entry.path().lexically_relative(root).string(), content.str());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace quen::test
