#include "fakes/GoldenLog.h"

#include "foundation/WideString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace quen::test {
namespace {

std::string Replaced(std::wstring text, const std::vector<std::pair<std::wstring, std::wstring>>& replacements)
{
    for (const auto& [from, to] : replacements) {
        for (std::size_t at = text.find(from); !from.empty() && at != std::wstring::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }
    static const std::regex kNumbers(R"(((?:pid|process) )\d+|\d+( ms| bytes))");
    return std::regex_replace(ToUtf8(text), kNumbers, "$1#$2");
}

// One hunk between the lines both sides share at their start and at their
// end: "-" the golden file's lines, "+" this run's.
std::string Difference(const std::vector<std::string>& golden, const std::vector<std::string>& now)
{
    std::size_t first = 0;
    while (first < golden.size() && first < now.size() && golden[first] == now[first])
        ++first;
    std::size_t endGolden = golden.size();
    std::size_t endNow = now.size();
    while (endGolden > first && endNow > first && golden[endGolden - 1] == now[endNow - 1]) {
        --endGolden;
        --endNow;
    }
    std::ostringstream out;
    out << "@@ -" << first + 1 << "," << endGolden - first << " +" << first + 1 << "," << endNow - first << " @@\n";
    for (std::size_t i = first; i < endGolden; ++i)
        out << "-" << golden[i] << "\n";
    for (std::size_t i = first; i < endNow; ++i)
        out << "+" << now[i] << "\n";
    return out.str();
}

}  // namespace

std::vector<std::string> MaskedLog(const std::vector<LogRecord>& records,
                                   const std::vector<std::pair<std::wstring, std::wstring>>& replacements)
{
    std::vector<std::string> lines;
    for (const LogRecord& record : records) {
        std::istringstream text(Replaced(std::wstring(LogLevelName(record.level)) + L" " + record.text, replacements));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
    }
    return lines;
}

void ExpectGolden(const std::vector<std::string>& lines, const std::string& goldenName)
{
    const std::string file = std::string(QUEN_TEST_DATA_DIR) + "/golden/" + goldenName;
    const char* update = std::getenv("QUEN_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << "\n";
        return;
    }
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << file << " is missing; QUEN_UPDATE_GOLDEN=1 writes it";
    std::vector<std::string> golden;
    for (std::string line; std::getline(in, line);)
        golden.push_back(line);
    EXPECT_TRUE(golden == lines) << "the log differs from " << file
                                 << " (QUEN_UPDATE_GOLDEN=1 rewrites it):\n"
                                 << Difference(golden, lines);
}

}  // namespace quen::test
