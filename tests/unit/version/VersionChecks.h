// VerifyVersion over a table of paths and expected texts, with the code and
// (where it matters) the result text each must give.
#pragma once

#include <quen/VerifyVersion.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quen::test {

struct VersionCheck {
    std::wstring path;
    std::wstring expected;
    int32_t code;
    const wchar_t* result = nullptr;
};

inline void ExpectVersionChecks(const std::vector<VersionCheck>& checks)
{
    for (const VersionCheck& check : checks) {
        std::wstring result = L"left over";
        const std::wstring label = check.path.substr(0, 80) + L" " + check.expected.substr(0, 40);
        EXPECT_EQ(VerifyVersion(check.path.c_str(), check.expected.c_str(), result), check.code) << label;
        if (check.result) {
            EXPECT_EQ(result, check.result) << label;
        }
    }
}

}  // namespace quen::test
