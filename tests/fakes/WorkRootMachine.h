// A test machine whose installer work root is cleared around each test. On
// Windows the work root is the machine's own ("C:\windows\..." under Wine),
// shared by every run of these tests (they hold a lock for it): each starts
// and ends without it.
#pragma once

#include "fakes/TestMachine.h"
#include "platform/Paths.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace quen::test {

class WorkRootMachine : public TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        RemoveWorkRoot();
    }
    void TearDown() override
    {
        RemoveWorkRoot();
        TestMachine::TearDown();
    }

    static std::wstring WorkRoot() { return quen::platform::WindowsDir() + L"\\Temp\\Quen\\"; }

private:
    void RemoveWorkRoot() const
    {
        const std::wstring root = WorkRoot();
        std::error_code ignored;
        // Without the trailing backslash, so a file in its place goes too.
        std::filesystem::remove_all(Host(root.substr(0, root.size() - 1)), ignored);
    }
};

}  // namespace quen::test
