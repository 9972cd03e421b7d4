// The PE version reader on hand-built images: one sound image and the ways a
// truncated or hostile file can lie about its offsets and sizes.
#include "platform/personality/PeVersionResource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
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
    // Offsets inside the section: the three directory levels, the data
    // entry and the VS_VERSIONINFO block.
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
    // The fixed part follows the key and its padding.
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

    PeVersion Read(FileVersion& version) const { return ReadPeVersion(MemoryBytes(bytes), version); }
    PeVersion Read() const
    {
        FileVersion ignored;
        return Read(ignored);
    }
};

TEST(PeVersionResource, ASoundImageGivesItsFileVersion)
{
    FileVersion version;
    ASSERT_EQ(Image().Read(version), PeVersion::Found);
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 2);
    EXPECT_EQ(version.build, 3);
    EXPECT_EQ(version.revision, 4);
}

TEST(PeVersionResource, AFileCutShortAnywhereHasNoVersion)
{
    const Image whole;
    for (std::size_t length = 0; length < whole.bytes.size(); ++length) {
        Image cut;
        cut.bytes.resize(length);
        EXPECT_NE(cut.Read(), PeVersion::Found) << "cut at " << length;
    }
}

TEST(PeVersionResource, OffsetsAndSizesBeyondTheFileAreRefused)
{
    const std::pair<const char*, std::function<void(Image&)>> corruptions[] = {
        {"PE header past the end", [](Image& i) { i.Put32(0x3C, 0xFFFFFFF0); }},
        {"65535 sections", [](Image& i) { i.Put16(Image::kSectionCount, 0xFFFF); }},
        {"section data past the end", [](Image& i) { i.Put32(Image::kSectionTable + 20, 0xFFFFFF00); }},
        {"resource directory outside every section", [](Image& i) { i.Put32(Image::kResourceDirectory, 0x7FFFFFF0); }},
        {"131070 directory entries", [](Image& i) { i.PutInSection32(Image::kRoot + 12, 0xFFFFFFFF); }},
        {"type directory past the section",
         [](Image& i) { i.PutInSection32(Image::kRoot + 20, 0x80000000 | 0x7FFFFF00); }},
        {"data past the section",
         [](Image& i) { i.PutInSection32(Image::kDataEntry, Image::kSectionAddress + 0x1000); }},
        {"data of 4 GiB", [](Image& i) { i.PutInSection32(Image::kDataEntry + 4, 0xFFFFFFFF); }},
        {"data in the headers", [](Image& i) { i.PutInSection32(Image::kDataEntry, 0x10); }},
    };
    for (const auto& [what, corrupt] : corruptions) {
        Image image;
        corrupt(image);
        EXPECT_EQ(image.Read(), PeVersion::NoVersionResource) << what;
    }
    // A section claiming 4 GiB is read as far as the file goes.
    Image hugeSection;
    hugeSection.Put32(Image::kSectionTable + 8, 0xFFFFFFFF);
    hugeSection.Put32(Image::kSectionTable + 16, 0xFFFFFFFF);
    EXPECT_EQ(hugeSection.Read(), PeVersion::Found);
}

TEST(PeVersionResource, ALoopInTheResourceTreeEndsTheSearch)
{
    // The name level leads back to the root, which a language entry never is.
    Image backToRoot;
    backToRoot.PutInSection32(Image::kNameDir + 20, 0x80000000 | Image::kRoot);
    EXPECT_EQ(backToRoot.Read(), PeVersion::NoVersionResource);
    // The type directory names itself as the version's name directory.
    Image selfLoop;
    selfLoop.PutInSection32(Image::kTypeDir + 20, 0x80000000 | Image::kTypeDir);
    EXPECT_EQ(selfLoop.Read(), PeVersion::NoVersionResource);
}

TEST(PeVersionResource, AVersionBlockWithoutAValidFixedPartIsMalformed)
{
    Image badSignature;
    badSignature.Put32(Image::FixedInfo(), 0xFEEF04BC);
    EXPECT_EQ(badSignature.Read(), PeVersion::Malformed);
    Image shortValue;
    shortValue.Put16(Image::kSectionData + Image::kBlock + 2, 51);
    EXPECT_EQ(shortValue.Read(), PeVersion::Malformed);
    // A key without its terminating zero runs to the block's end.
    Image endlessKey;
    for (uint32_t at = Image::kSectionData + Image::kBlock + 6; at < endlessKey.bytes.size(); at += 2)
        endlessKey.Put16(at, u'K');
    EXPECT_EQ(endlessKey.Read(), PeVersion::Malformed);
    // A block claiming 64 KiB is read only as far as the resource's data goes.
    Image longBlock;
    longBlock.Put16(Image::kSectionData + Image::kBlock, 0xFFFF);
    EXPECT_EQ(longBlock.Read(), PeVersion::Found);
}

}  // namespace
}  // namespace quen::platform::personality
