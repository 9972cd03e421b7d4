// A test machine whose child program is the running test program.
#pragma once

#include "fakes/TestMachine.h"
#include "platform/Errors.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

namespace quen::test {

class ProgramRun : public TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_child = MapChildProgram(L'T');
    }

    // Runs a program that must start; its output lines go to m_lines.
    platform::ProgramResult Run(const std::wstring& program, const std::wstring& arguments,
                                bool throughInterpreter = false, platform::ProgramWatch watch = {})
    {
        watch.onOutputLine = [this](const std::wstring& line) { m_lines.push_back(line); };
        platform::ProgramResult result;
        result.exitCode = 12345;
        EXPECT_TRUE(platform::RunProgram(program, arguments, throughInterpreter, watch, result))
            << platform::LastError();
        return result;
    }
    uint32_t RunChild(const std::wstring& arguments) { return Run(m_child, L"--quen-child " + arguments).exitCode; }

    // The last error of a program that must not start.
    static uint32_t StartError(const std::wstring& program, bool throughInterpreter = false)
    {
        platform::ProgramResult result;
        return platform::RunProgram(program, L"", throughInterpreter, {}, result) ? 0 : platform::LastError();
    }

    // A scratch file's host path, and that path quoted for an argument text.
    std::filesystem::path Out(const wchar_t* name) const { return Host(Dir()) / name; }
    std::wstring OutArg(const wchar_t* name) const { return L"\"" + PathText(Out(name)) + L"\""; }

    std::wstring m_child;
    std::vector<std::wstring> m_lines;
};

}  // namespace quen::test
