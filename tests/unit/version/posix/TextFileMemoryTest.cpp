// A text file is checked in bounded memory: the process's peak resident size
// (reset through /proc) is measured around the check of a huge line.
#include "fakes/TestMachine.h"

#include <quen/VerifyVersion.h>

#include <fstream>
#include <string>

namespace quen {
namespace {

// Peak resident size in KiB since the last reset.
long PeakKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

class TextFileMemory : public test::TestMachine {};

TEST_F(TextFileMemory, AHugeLineIsSkippedWithoutBeingHeldAndBlanksOfAnyLengthTrimAway)
{
    // 64 MiB of zero bytes (a sparse hole) without a line feed, then a line
    // whose blanks alone are far longer than the expected text.
    const std::wstring file = Dir() + L"huge.txt";
    {
        std::ofstream out(Host(file), std::ios::binary);
        out.seekp(std::streamoff{64} << 20);
        out << "x\n" << std::string(std::size_t{1} << 20, ' ') << "7.1" << std::string(5000, '\t') << "\r tail\n";
    }
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
