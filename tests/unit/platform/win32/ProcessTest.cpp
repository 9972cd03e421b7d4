// Program start on Windows: direct and through cmd.exe, 32-bit exit codes.
#include "unit/platform/ProgramRun.h"

#include "foundation/WideString.h"
#include "platform/FileSystem.h"

namespace quen::platform {
namespace {

using Args = std::vector<std::wstring>;
using WindowsRunProgram = quen::test::ProgramRun;

TEST_F(WindowsRunProgram, ExitCodesKeepThirtyTwoBitsAndProgramsAndBatchFilesWithBlanksInTheirPathsStartWithEitherFlag)
{
    EXPECT_EQ(RunChild(L"exit 3221225477"), 0xC0000005u);
    EXPECT_EQ(Run(m_child, L"--quen-child exit 3010", true).exitCode, 3010u);
    ASSERT_TRUE(MakeDirectory(Dir() + L"my setup"));
    const std::wstring program = Dir() + L"my setup\\the child.exe";
    ASSERT_TRUE(CopyOneFile(m_child, program, true));
    // cmd hands %* on as written; the batch file ends with its own exit code.
    const std::string script = "@\"" + quen::ToUtf8(m_child) + "\" --quen-child args %*\r\n@exit /b 3\r\n";
    const std::pair<std::wstring, uint32_t> programs[] = {{L"the child.exe", 0u}, {L"run me.bat", 3u}, {L"go.Cmd", 3u}};
    for (const auto& [name, exitCode] : programs) {
        if (exitCode != 0)
            WriteFile(Dir() + L"my setup\\" + name, script);
        const std::wstring arguments =
            (exitCode == 0 ? L"--quen-child args " : L"") + OutArg(L"out") + L" /s \"a b\"";
        for (const bool throughInterpreter : {true, false}) {
            std::filesystem::remove(Out(L"out"));
            EXPECT_EQ(Run(Dir() + L"my setup\\" + name, arguments, throughInterpreter).exitCode, exitCode) << name;
            EXPECT_EQ(quen::test::ReadChildOutput(Out(L"out")), (Args{L"/s", L"a b"})) << name;
        }
    }
}

}  // namespace
}  // namespace quen::platform
