#include <quen/OsServices.h>

#include "fakes/TestMachine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class OsServicesTest : public quen::test::TestMachine {
protected:
    std::size_t WarningsAbout(const std::wstring& lock) const
    {
        const auto texts = LogTexts();
        const std::wstring expected = L"Could not take the logind \"" + lock + L"\" inhibitor lock: ";
        return std::count_if(texts.begin(), texts.end(),
                             [&](const std::wstring& t) { return t.starts_with(expected); });
    }
};

TEST_F(OsServicesTest, WindowsAndTempDirectoriesAreTheMachinesOwn)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "Windows has its own Windows and temporary folders";
    EXPECT_EQ(COsServices::GetWindowsDirectoryW(), L"C:\\Windows");
    EXPECT_EQ(COsServices::GetTempFolder(), L"C:\\Windows\\Temp\\");
}

TEST_F(OsServicesTest, PowerHoldsFailWithOneWarningEachWithoutASystemBus)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "Windows holds power through its own calls, not logind";

    EXPECT_FALSE(COsServices::DisableScreenSaver(true));
    EXPECT_FALSE(COsServices::DisableStandby(true));
    EXPECT_FALSE(COsServices::DisableHibernation(true));
    EXPECT_FALSE(COsServices::DisableShutdown(true, L"Installing"));
    EXPECT_EQ(WarningsAbout(L"idle"), 1u);
    EXPECT_EQ(WarningsAbout(L"sleep"), 2u);
    EXPECT_EQ(WarningsAbout(L"shutdown"), 1u);
    EXPECT_TRUE(LogContains(L"the system bus is not available"));

    // Giving back what was never taken succeeds quietly.
    const std::size_t lines = LogTexts().size();
    EXPECT_TRUE(COsServices::DisableScreenSaver(false));
    EXPECT_TRUE(COsServices::DisableStandby(false));
    EXPECT_TRUE(COsServices::DisableHibernation(false));
    EXPECT_TRUE(COsServices::DisableShutdown(false, nullptr));
    EXPECT_EQ(LogTexts().size(), lines);
}

}  // namespace
