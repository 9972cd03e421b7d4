#include "platform/personality/PeVersionResource.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quen::platform::personality {
namespace {

constexpr uint32_t kResourceTypeVersion = 16;  // RT_VERSION
constexpr uint32_t kVersionInfoName = 1;       // VS_VERSION_INFO
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoSize = 52;        // sizeof(VS_FIXEDFILEINFO)
constexpr uint32_t kSubdirectory = 0x80000000; // IMAGE_RESOURCE_DATA_IS_DIRECTORY
constexpr uint32_t kNamedEntry = 0x80000000;   // IMAGE_RESOURCE_NAME_IS_STRING

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

struct Section {
    uint64_t address = 0;  // relative virtual address
    uint64_t extent = 0;   // bytes of the section that the file holds
    uint64_t fileOffset = 0;
};

// The sections of a PE image and reads by relative virtual address.
class PeImage {
public:
    explicit PeImage(const ByteSource& file) : m_file(file) {}

    // Reads the headers; false when the file is not a PE image. Gives the
    // resource directory's address, 0 when there is none.
    bool Load(uint32_t& resourceAddress);

    // Reads `size` bytes at `address`; false unless all of them lie in the
    // file data of one section.
    bool Read(uint64_t address, void* out, std::size_t size) const
    {
        const std::optional<uint64_t> offset = FileOffset(address, size);
        return offset && m_file.Read(*offset, out, size);
    }
    bool Holds(uint64_t address, uint64_t size) const { return FileOffset(address, size).has_value(); }

private:
    std::optional<uint64_t> FileOffset(uint64_t address, uint64_t size) const
    {
        for (const Section& section : m_sections) {
            if (address >= section.address && size <= section.extent &&
                address - section.address <= section.extent - size)
                return section.fileOffset + (address - section.address);
        }
        return std::nullopt;
    }

    const ByteSource& m_file;
    std::vector<Section> m_sections;
};

bool PeImage::Load(uint32_t& resourceAddress)
{
    uint8_t dos[64];
    if (!m_file.Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const uint64_t peHeader = U32(dos + 0x3C);
    uint8_t coff[24];
    if (!m_file.Read(peHeader, coff, sizeof coff) || coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 || coff[3] != 0)
        return false;
    const uint16_t sectionCount = U16(coff + 6);
    const uint16_t optionalSize = U16(coff + 20);

    // The optional header: PE32 or PE32+, with the data directories at its end.
    std::vector<uint8_t> optional(optionalSize);
    if (optionalSize < 2 || !m_file.Read(peHeader + sizeof coff, optional.data(), optional.size()))
        return false;
    std::size_t countAt = 0, directoriesAt = 0;
    switch (U16(optional.data())) {
    case 0x10B: countAt = 92, directoriesAt = 96; break;
    case 0x20B: countAt = 108, directoriesAt = 112; break;
    default: return false;
    }
    constexpr std::size_t kResourceDirectory = 2;
    const std::size_t resourceAt = directoriesAt + kResourceDirectory * 8;
    if (optional.size() < countAt + 4 || U32(optional.data() + countAt) <= kResourceDirectory ||
        optional.size() < resourceAt + 8)
        resourceAddress = 0;
    else
        resourceAddress = U32(optional.data() + resourceAt);

    std::vector<uint8_t> table(static_cast<std::size_t>(sectionCount) * 40);
    if (!m_file.Read(peHeader + sizeof coff + optionalSize, table.data(), table.size()))
        return false;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const uint8_t* entry = table.data() + i * 40;
        const uint32_t virtualSize = U32(entry + 8);
        const uint32_t rawSize = U32(entry + 16);
        // Memory holds at most the virtual size of the section (0: the raw size).
        const uint32_t extent = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
        m_sections.push_back({U32(entry + 12), extent, U32(entry + 20)});
    }
    return true;
}

// The target of the entry named `id` (or of the first entry when `id` is
// empty) of the resource directory at `directory`.
std::optional<uint32_t> FindEntry(const PeImage& image, uint64_t directory, std::optional<uint32_t> id)
{
    uint8_t header[16];
    if (!image.Read(directory, header, sizeof header))
        return std::nullopt;
    const std::size_t count = std::size_t{U16(header + 12)} + U16(header + 14);
    std::vector<uint8_t> entries(count * 8);
    if (!image.Read(directory + sizeof header, entries.data(), entries.size()))
        return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* entry = entries.data() + i * 8;
        const uint32_t name = U32(entry);
        if (!id || ((name & kNamedEntry) == 0 && name == *id))
            return U32(entry + 4);
    }
    return std::nullopt;
}

// Where the version resource's data lies: address and size.
std::optional<std::pair<uint32_t, uint32_t>> FindVersionData(const PeImage& image, uint32_t resources)
{
    // Type and name lead to subdirectories, the language to a data entry; an
    // entry of the wrong kind (a loop back into the tree, say) ends the search.
    const auto type = FindEntry(image, resources, kResourceTypeVersion);
    if (!type || (*type & kSubdirectory) == 0)
        return std::nullopt;
    const auto name = FindEntry(image, uint64_t{resources} + (*type & ~kSubdirectory), kVersionInfoName);
    if (!name || (*name & kSubdirectory) == 0)
        return std::nullopt;
    const auto language = FindEntry(image, uint64_t{resources} + (*name & ~kSubdirectory), std::nullopt);
    if (!language || (*language & kSubdirectory) != 0)
        return std::nullopt;
    uint8_t dataEntry[16];
    if (!image.Read(uint64_t{resources} + *language, dataEntry, sizeof dataEntry))
        return std::nullopt;
    const uint32_t address = U32(dataEntry), size = U32(dataEntry + 4);
    if (!image.Holds(address, size))
        return std::nullopt;
    return std::pair{address, size};
}

// The fixed part of a VS_VERSIONINFO block: a header of three 16-bit words
// (length, value length, type), the zero-terminated UTF-16 key, padding to a
// 32-bit boundary, then the value.
bool ReadFixedPart(const std::vector<uint8_t>& block, FileVersion& version)
{
    constexpr std::size_t kKeyAt = 6;
    if (block.size() < kKeyAt)
        return false;
    const std::size_t length = std::min<std::size_t>(U16(block.data()), block.size());
    const uint16_t valueLength = U16(block.data() + 2);
    std::size_t keyEnd = kKeyAt;
    while (keyEnd + 2 <= length && U16(block.data() + keyEnd) != 0)
        keyEnd += 2;
    const std::size_t valueAt = (keyEnd + 2 + 3) & ~std::size_t{3};
    if (valueLength < kFixedInfoSize || valueAt + kFixedInfoSize > length)
        return false;
    const uint8_t* fixed = block.data() + valueAt;
    if (U32(fixed) != kFixedInfoSignature)
        return false;
    const uint32_t high = U32(fixed + 8), low = U32(fixed + 12);
    version = {static_cast<uint16_t>(high >> 16), static_cast<uint16_t>(high & 0xFFFF),
               static_cast<uint16_t>(low >> 16), static_cast<uint16_t>(low & 0xFFFF)};
    return true;
}

}  // namespace

PeVersion ReadPeVersion(const ByteSource& file, FileVersion& version)
{
    PeImage image(file);
    uint32_t resources = 0;
    if (!image.Load(resources) || resources == 0)
        return PeVersion::NoVersionResource;
    const auto data = FindVersionData(image, resources);
    if (!data)
        return PeVersion::NoVersionResource;
    // The block's own length is a 16-bit number: never more than 64 KiB to read.
    std::vector<uint8_t> block(std::min<uint32_t>(data->second, 0xFFFF));
    if (!image.Read(data->first, block.data(), block.size()))
        return PeVersion::NoVersionResource;
    return ReadFixedPart(block, version) ? PeVersion::Found : PeVersion::Malformed;
}

}  // namespace quen::platform::personality
