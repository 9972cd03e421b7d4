// The sample files of tests/data/installdb, read from the source tree so that
// each test can copy them into its own machine.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace quen::test {

inline std::string InstallDbSample(const std::string& name)
{
    const std::filesystem::path file = std::filesystem::path(QUEN_TEST_DATA_DIR) / "installdb" / name;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing test sample " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace quen::test
