// The text of a registry value for the version check: any type, any bytes.
#include "version/RegistryValueText.h"

#include "support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // The first byte is the type, the rest the value's bytes.
    if (size == 0)
        return 0;
    quen::platform::RegValue value;
    value.type = data[0];
    value.data.assign(data + 1, data + size);
    std::wstring text;
    quen::FormatRegistryValue(value, text);
    return 0;
}
