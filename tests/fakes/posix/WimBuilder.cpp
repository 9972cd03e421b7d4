#include "fakes/posix/WimBuilder.h"

#include "fakes/TestMachine.h"

#include <wimlib.h>

#include <fstream>
#include <memory>
#include <stdexcept>

namespace quen::test {
namespace {

constexpr char kKey[] = "Amber Lighthouse";

struct WimFree {
    void operator()(WIMStruct* wim) const { wimlib_free(wim); }
};
using WimPtr = std::unique_ptr<WIMStruct, WimFree>;

void Check(int code, const std::string& what)
{
    if (code != 0)
        throw std::runtime_error(what + ": " + wimlib_get_error_string(static_cast<wimlib_error_code>(code)));
}

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool IsElementName(const std::string& part)
{
    std::size_t end = part.size();
    if (end > 0 && part.back() == ']') {
        const std::size_t open = part.rfind('[');
        if (open == std::string::npos || open + 2 > end - 1)
            return false;
        for (std::size_t i = open + 1; i + 1 < end; ++i) {
            if (part[i] < '0' || part[i] > '9')
                return false;
        }
        end = open;
    }
    if (end == 0 || !IsNameStart(part[0]))
        return false;
    for (std::size_t i = 1; i < end; ++i) {
        if (!IsNameChar(part[i]))
            return false;
    }
    // Names beginning with "xml" in any case are reserved.
    const std::string head = part.substr(0, 3);
    return !(head.size() == 3 && (head[0] | 0x20) == 'x' && (head[1] | 0x20) == 'm' && (head[2] | 0x20) == 'l');
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
    for (const auto& [name, value] : image.properties) {
        CheckPropertyName(name);
        Check(wimlib_set_image_property(wim, index, name.c_str(), value.c_str()), "set property " + name);
    }
}

}  // namespace

void CheckPropertyName(const std::string& name)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = name.find('/', start);
        if (!IsElementName(name.substr(start, slash - start)))
            throw std::invalid_argument("not an XML element name: \"" + name + "\"");
        if (slash == std::string::npos)
            return;
        start = slash + 1;
    }
}

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

void AppendImage(const std::filesystem::path& file, const WimImage& image)
{
    WIMStruct* opened = nullptr;
    Check(wimlib_open_wim(file.c_str(), WIMLIB_OPEN_FLAG_WRITE_ACCESS, &opened), "open " + file.string());
    const WimPtr wim(opened);
    const TempHostDir source;
    AddImage(wim.get(), image, source);
    Check(wimlib_overwrite(wim.get(), 0, 1), "append to " + file.string());
}

std::vector<std::filesystem::path> SplitWim(const std::filesystem::path& file, const std::filesystem::path& firstPart,
                                            uint64_t partBytes)
{
    WIMStruct* opened = nullptr;
    Check(wimlib_open_wim(file.c_str(), 0, &opened), "open " + file.string());
    const WimPtr wim(opened);
    Check(wimlib_split(wim.get(), firstPart.c_str(), partBytes, 0), "split " + file.string());
    std::vector<std::filesystem::path> parts{firstPart};
    for (int part = 2;; ++part) {
        auto next = firstPart.parent_path() /
                    (firstPart.stem().string() + std::to_string(part) + firstPart.extension().string());
        if (!std::filesystem::exists(next))
            return parts;
        parts.push_back(std::move(next));
    }
}

void ToggleHeader(const std::filesystem::path& file)
{
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    char header[16];
    if (!stream.read(header, sizeof header))
        throw std::runtime_error("shorter than a header: " + file.string());
    for (std::size_t i = 0; i < sizeof header; ++i)
        header[i] = static_cast<char>(header[i] ^ kKey[i]);
    stream.seekp(0);
    stream.write(header, sizeof header);
}

}  // namespace quen::test
