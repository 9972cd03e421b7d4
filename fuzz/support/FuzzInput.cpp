#include "support/FuzzInput.h"

#include <quen/Machine.h>

#include "platform/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <system_error>

namespace quen::fuzz {
namespace {

class TempRoot {
public:
    TempRoot()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("quen-fuzz-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
        SetMachineRoot(m_path);
        for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
            MapDrive(letter, {});
        platform::SetCurrentDir(L"C:\\");
    }
    ~TempRoot()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace

const std::filesystem::path& MachineRoot()
{
    static const TempRoot root;
    return root.Path();
}

std::wstring WriteInput(const uint8_t* data, std::size_t size, const std::wstring& name)
{
    const std::filesystem::path folder = MachineRoot() / "drives" / "c" / "fuzz";
    std::filesystem::create_directories(folder);
    // A new file each time: ext4 writes a file out at once when it is
    // truncated and written again, which would slow every run down.
    const std::filesystem::path file = folder / std::filesystem::path(name);
    std::filesystem::remove(file);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return L"C:\\fuzz\\" + name;
}

std::wstring WideText(const uint8_t* data, std::size_t size)
{
    std::wstring text;
    text.reserve(size);
    for (std::size_t i = 0; i < size;) {
        const uint8_t lead = data[i];
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                                 : (lead >> 3) == 0x1E ? 4 : 0;
        char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length != 0 && i + length <= size;
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (data[i + k] & 0xC0) == 0x80;
            code = (code << 6) | (data[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kSmallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (valid) {
            text.push_back(static_cast<wchar_t>(code));
            i += length;
        } else {
            text.push_back(static_cast<wchar_t>(0xDC00 + lead));
            ++i;
        }
    }
    return text;
}

void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "quen fuzz: broken promise: %s\n", what);
    std::abort();
}

}  // namespace quen::fuzz
