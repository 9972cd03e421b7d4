#include "fakes/TestMachine.h"

#include "foundation/WideString.h"

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace quen::test {

std::vector<std::string> MaskedLog(const std::vector<LogRecord>& records,
                                   const std::vector<std::pair<std::wstring, std::wstring>>& replacements)
{
    static const std::regex kNumbers(R"(((?:pid|process) )\d+|\d+( ms| bytes))");
    std::vector<std::string> lines;
    for (const LogRecord& record : records) {
        std::wstring text = std::wstring(LogLevelName(record.level)) + L" " + record.text;
        for (const auto& [from, to] : replacements) {
            for (std::size_t at = text.find(from); !from.empty() && at != std::wstring::npos;
                 at = text.find(from, at + to.size()))
                text.replace(at, from.size(), to);
        }
        std::istringstream masked(std::regex_replace(ToUtf8(text), kNumbers, "$1#$2"));
        for (std::string line; std::getline(masked, line);)
            lines.push_back(line);
    }
    return lines;
}

void ExpectGolden(const std::vector<std::string>& lines, const std::string& goldenName)
{
    const std::string file = std::string(QUEN_TEST_DATA_DIR) + "/golden/" + goldenName;
    std::string now;
    for (const std::string& line : lines)
        now += line + "\n";
    if (const char* update = std::getenv("QUEN_UPDATE_GOLDEN"); update != nullptr && std::string(update) == "1")
        std::ofstream(file, std::ios::binary | std::ios::trunc) << now;
    else
        EXPECT_EQ(ReadHostFile(file), now) << "the log differs from " << file << " (QUEN_UPDATE_GOLDEN=1 rewrites it)";
}

}  // namespace quen::test
