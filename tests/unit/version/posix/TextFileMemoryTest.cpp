#include "fakes/TestMachine.h"

#include <quen/VerifyVersion.h>

#include <fstream>
#include <string>

namespace quen {
namespace {

// The process's peak resident size since the last reset through /proc.
long PeakKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

using TextFileMemory = test::TestMachine;

TEST_F(TextFileMemory, AHugeLineIsSkippedWithoutBeingHeldAndBlanksOfAnyLengthTrimAway)
{
    // A line of 64 MiB (a sparse hole), then one whose blanks far outgrow the expected text.
    const std::wstring file = Dir() + L"huge.txt";
    std::ofstream out(Host(file), std::ios::binary);
    out.seekp(std::streamoff{64} << 20);
    out << "x\n" << std::string(std::size_t{1} << 20, ' ') << "7.1" << std::string(5000, '\t') << "\r tail\n";
    out.close();
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = PeakKiB();
    std::wstring result;
    EXPECT_EQ(VerifyVersion(file.c_str(), L"7.1", result), eVersionPresent);
    EXPECT_EQ(VerifyVersion(file.c_str(), L"X", result), eNoMatchingTextLine);
    ASSERT_GE(before, 0);
    EXPECT_LT(PeakKiB() - before, 16 * 1024);
}

}  // namespace
}  // namespace quen
