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

// A 64-bit resource-only DLL with one section, .rsrc, whose version resource
// holds file version 1.2.3.4. The offsets name the fields the tests corrupt.
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
        bytes[0] = 'M', bytes[1] = 'Z';
        Put32(0x3C, kPeHeader);
        std::memcpy(&bytes[kPeHeader], "PE\0\0", 4);
        Put16(kPeHeader + 4, 0x8664);
        Put16(kSectionCount, 1);
        Put16(kPeHeader + 20, 240);
        Put16(kOptional, 0x20B);
        Put32(kOptional + 108, 16);
        const uint32_t sectionSize = kBlock + kBlockSize;
        Put32(kResourceDirectory, kSectionAddress);
        Put32(kResourceDirectory + 4, sectionSize);
        std::memcpy(&bytes[kSectionTable], ".rsrc", 5);
        Put32(kSectionTable + 8, sectionSize);
        Put32(kSectionTable + 12, kSectionAddress);
        Put32(kSectionTable + 16, sectionSize);
        Put32(kSectionTable + 20, kSectionData);

        Directory(kRoot, 16, 0x80000000 | kTypeDir);
        Directory(kTypeDir, 1, 0x80000000 | kNameDir);
        Directory(kNameDir, 0x409, kDataEntry);
        PutInSection32(kDataEntry, kSectionAddress + kBlock);
        PutInSection32(kDataEntry + 4, kBlockSize);

        const uint32_t block = kSectionData + kBlock;
        Put16(block, kBlockSize);
        Put16(block + 2, 52);
        const std::u16string key = u"VS_VERSION_INFO";
        for (std::size_t i = 0; i < key.size(); ++i)
            Put16(block + 6 + 2 * static_cast<uint32_t>(i), key[i]);
        Put32(FixedInfo(), 0xFEEF04BD);
        Put32(FixedInfo() + 4, 0x10000);
        Put32(FixedInfo() + 8, 0x00010002);
        Put32(FixedInfo() + 12, 0x00030004);
    }
    static constexpr uint32_t FixedInfo() { return kSectionData + kBlock + 40; }

    void Put16(uint32_t at, uint16_t value) { std::memcpy(&bytes[at], &value, 2); }
    void Put32(uint32_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }
    void PutInSection32(uint32_t at, uint32_t value) { Put32(kSectionData + at, value); }
    // A directory with one entry named by number.
    void Directory(uint32_t at, uint32_t id, uint32_t target)
    {
        Put16(kSectionData + at + 14, 1);
        PutInSection32(at + 16, id);
        PutInSection32(at + 20, target);
    }

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
        if (width == 2)
            image.Put16(at, static_cast<uint16_t>(value));
        else
            image.Put32(at, value);
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
