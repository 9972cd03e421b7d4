#include "fakes/PeFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quen::test {

bool HavePeTestFiles() { return !std::string(QUEN_TEST_PE_DIR).empty(); }

std::string PeTestFile(const std::string& name)
{
    const std::filesystem::path file = std::filesystem::path(QUEN_TEST_PE_DIR) / (name + ".dll");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing PE test file " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace quen::test
