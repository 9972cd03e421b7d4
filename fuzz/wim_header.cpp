// The scrambled-header test and the unscrambling copy on any file:
// unscrambling the copy once more gives back the file as it was.
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "support/FuzzInput.h"

#include <fstream>
#include <iterator>

namespace {

std::string Content(const std::wstring& windowsPath)
{
    std::ifstream file(quen::HostPath(windowsPath), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const bool folders = [] {
        for (const char* folder : {"once", "twice"})
            std::filesystem::create_directories(quen::fuzz::MachineRoot() / "drives" / "c" / "fuzz" / folder);
        return true;
    }();
    (void)folders;
    const std::wstring path = quen::fuzz::WriteInput(data, size, L"header.wim");
    CWIMFile::IsEncrypted(path.c_str());
    const std::wstring once = CWIMFile::Decrypt(path.c_str(), L"C:\\fuzz\\once");
    CWIMFile::IsEncrypted(once.c_str());
    const std::wstring twice = CWIMFile::Decrypt(once.c_str(), L"C:\\fuzz\\twice");
    quen::fuzz::Require(Content(twice) == std::string(reinterpret_cast<const char*>(data), size),
                        "unscrambling twice restores the file");
    CFilename::Delete(once);
    CFilename::Delete(twice);
    return 0;
}
