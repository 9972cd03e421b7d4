// The version resource of a PE file: any bytes. Every read the reader makes
// must lie within the file, which the byte source checks here.
#include "platform/personality/PeVersionResource.h"

#include "support/FuzzInput.h"

#include <cstring>

namespace {

using namespace quen::platform::personality;

class Bytes : public ByteSource {
public:
    Bytes(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* out, std::size_t size) const override
    {
        if (offset > m_size || size > m_size - offset)
            return false;
        if (size > 0)
            std::memcpy(out, m_data + offset, size);
        return true;
    }

private:
    const uint8_t* m_data;
    std::size_t m_size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    quen::platform::FileVersion version;
    ReadPeVersion(Bytes(data, size), version);
    return 0;
}
