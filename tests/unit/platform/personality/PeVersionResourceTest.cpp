// The PE version reader on a hand-built image that a truncated or hostile file could be.
#include "platform/personality/PeVersionResource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace quen::platform::personality {
namespace {

class MemoryBytes : public ByteSource {
public:
    explicit MemoryBytes(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    uint64_t Size() const override { return m_bytes.size(); }
    bool Read(uint64_t offset, void* out, std::size_t size) const override
    {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset)
            return false;
        std::memcpy(out, m_bytes.data() + offset, size);
        return true;
    }

private:
    const std::vector<uint8_t>& m_bytes;
};

// A 64-bit resource-only DLL whose one section, .rsrc, holds a version resource.
struct Image {
    static constexpr uint32_t kPeHeader = 0x40;
    static constexpr uint32_t kSectionCount = kPeHeader + 6;
    static constexpr uint32_t kOptional = kPeHeader + 24;
    static constexpr uint32_t kResourceDirectory = kOptional + 112 + 2 * 8;
    static constexpr uint32_t kSectionTable = kOptional + 240;
    static constexpr uint32_t kSectionData = 0x200;
    static constexpr uint32_t kSectionAddress = 0x1000;
    // In the section: three directory levels, the data entry, the VS_VERSIONINFO block.
    static constexpr uint32_t kRoot = 0x00, kTypeDir = 0x18, kNameDir = 0x30, kDataEntry = 0x48, kBlock = 0x58;
    static constexpr uint32_t kBlockSize = 92;

    std::vector<uint8_t> bytes = std::vector<uint8_t>(kSectionData + kBlock + kBlockSize);

    Image()
    {
        constexpr uint32_t sectionSize = kBlock + kBlockSize, block = kSectionData + kBlock;
        // Each field: `width` bytes at `at`.
        const std::tuple<uint32_t, int, uint32_t> fields[] = {
            {0, 2, 'M' | 'Z' << 8}, {0x3C, 4, kPeHeader}, {kPeHeader, 4, 'P' | 'E' << 8}, {kPeHeader + 4, 2, 0x8664},
            {kSectionCount, 2, 1}, {kPeHeader + 20, 2, 240}, {kOptional, 2, 0x20B}, {kOptional + 108, 4, 16},
            {kResourceDirectory, 4, kSectionAddress}, {kResourceDirectory + 4, 4, sectionSize},
            {kSectionTable, 4, '.' | 'r' << 8 | 's' << 16 | 'r' << 24}, {kSectionTable + 4, 1, 'c'},
            {kSectionTable + 8, 4, sectionSize}, {kSectionTable + 12, 4, kSectionAddress},
            {kSectionTable + 16, 4, sectionSize}, {kSectionTable + 20, 4, kSectionData},
            {block, 2, kBlockSize}, {block + 2, 2, 52}, {FixedInfo(), 4, 0xFEEF04BD}, {FixedInfo() + 4, 4, 0x10000},
        };
        for (const auto& [at, width, value] : fields)
            Put(at, width, value);
        // Three directory levels of one entry each, named by number, down to the data entry.
        const std::tuple<uint32_t, uint32_t, uint32_t> directories[] = {
            {kRoot, 16, 0x80000000 | kTypeDir}, {kTypeDir, 1, 0x80000000 | kNameDir}, {kNameDir, 0x409, kDataEntry}};
        for (const auto& [at, id, target] : directories) {
            Put(kSectionData + at + 14, 2, 1);
            Put(kSectionData + at + 16, 4, id);
            Put(kSectionData + at + 20, 4, target);
        }
        Put(kSectionData + kDataEntry, 4, kSectionAddress + kBlock);
        Put(kSectionData + kDataEntry + 4, 4, kBlockSize);
        const std::u16string key = u"VS_VERSION_INFO";
        for (std::size_t i = 0; i < key.size(); ++i)
            Put(block + 6 + 2 * static_cast<uint32_t>(i), 2, key[i]);
    }
    static constexpr uint32_t FixedInfo() { return kSectionData + kBlock + 40; }

    void Put(uint32_t at, int width, uint32_t value) { std::memcpy(&bytes[at], &value, width); }

    PeVersion Read() const
    {
        FileVersion ignored;
        return ReadPeVersion(MemoryBytes(bytes), ignored);
    }
};

TEST(PeVersionResource, CutShortImagesHostileOffsetsSizesAndLoopsAreRefusedAndOversizedClaimsReadAsFarAsTheDataGoes)
{
    constexpr uint32_t section = Image::kSectionData, block = section + Image::kBlock;
    constexpr PeVersion none = PeVersion::NoVersionResource, malformed = PeVersion::Malformed;
    const std::tuple<const char*, uint32_t, int, uint32_t, PeVersion> cases[] = {
        {"PE header past the end", 0x3C, 4, 0xFFFFFFF0, none},
        {"65535 sections", Image::kSectionCount, 2, 0xFFFF, none},
        {"resource directory outside every section", Image::kResourceDirectory, 4, 0x7FFFFFF0, none},
        {"131070 directory entries", section + Image::kRoot + 12, 4, 0xFFFFFFFF, none},
        {"data past the section", section + Image::kDataEntry, 4, Image::kSectionAddress + 0x1000, none},
        {"data of 4 GiB", section + Image::kDataEntry + 4, 4, 0xFFFFFFFF, none},
        // A language entry is never the root; the type directory may name itself.
        {"name level back to the root", section + Image::kNameDir + 20, 4, 0x80000000, none},
        {"type directory naming itself", section + Image::kTypeDir + 20, 4, 0x80000000 | Image::kTypeDir, none},
        {"wrong signature", Image::FixedInfo(), 4, 0xFEEF04BC, malformed},
        {"value shorter than the fixed part", block + 2, 2, 51, malformed},
        {"block of 64 KiB", block, 2, 0xFFFF, PeVersion::Found},
    };
    for (const auto& [what, at, width, value, expected] : cases) {
        Image image;
        image.Put(at, width, value);
        EXPECT_EQ(image.Read(), expected) << what;
    }
    for (std::size_t length = 0; length < Image().bytes.size(); ++length) {
        Image cut;
        cut.bytes.resize(length);
        EXPECT_NE(cut.Read(), PeVersion::Found) << "cut at " << length;
    }
}

}  // namespace
}  // namespace quen::platform::personality
