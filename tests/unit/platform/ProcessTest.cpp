#include "unit/platform/ProgramRun.h"


namespace quen::platform {
namespace {

using quen::test::ReadChildOutput;
using Args = std::vector<std::wstring>;
using RunProgramTest = quen::test::ProgramRun;
namespace fs = std::filesystem;

TEST_F(RunProgramTest, PassesArgumentsSplitByTheWindowsRulesAndGivesOutputAndErrorLineByLine)
{
    EXPECT_EQ(RunChild(L"args " + OutArg(L"args") + L" plain \"two words\" \"\" a\\\"b C:\\x\\ Grüße"), 0u);
    EXPECT_EQ(ReadChildOutput(Out(L"args")), (Args{L"plain", L"two words", L"", L"a\"b", L"C:\\x\\", L"Grüße"}));
    EXPECT_EQ(RunChild(L"say \"to output\" \"to error\""), 0u);
    EXPECT_EQ(m_lines, (Args{L"to output", L"to error"}));
}

TEST_F(RunProgramTest, ProgramThatCannotStartFailsWithTheWindowsError)
{
    WriteFile(Dir() + L"text.exe", "not a program\n");
    fs::permissions(Host(Dir() + L"text.exe"), fs::perms::owner_all);
    const std::pair<std::wstring, uint32_t> cases[] = {
        {Dir() + L"missing.exe", err::FileNotFound},        {Dir() + L"missing.bat", err::FileNotFound},
        {Dir() + L"no\\folder\\a.exe", err::PathNotFound}, {Dir(), err::AccessDenied},
        {Dir() + L"text.exe", err::BadExeFormat},           {L"C:\\bad<name>.exe", err::InvalidName},
    };
    for (const auto& [program, error] : cases) {
        EXPECT_EQ(StartError(program), error) << testing::PrintToString(program);
        // Through the interpreter a bad program starts it, and fails in its exit code.
        if (error != err::BadExeFormat) {
            EXPECT_EQ(StartError(program, true), error) << testing::PrintToString(program);
        }
    }
}

TEST(BatchFiles, AreKnownByTheirExtensionInAnyCase)
{
    for (const wchar_t* name : {L"setup.bat", L"C:\\a\\SETUP.BAT", L"run.Cmd", L"x.y\\z.cmd"})
        EXPECT_TRUE(IsBatchFile(name)) << name;
    for (const wchar_t* name : {L"setup.exe", L"bat", L"C:\\a.bat\\setup", L"setup.bat.exe", L"x.cmdx"})
        EXPECT_FALSE(IsBatchFile(name)) << name;
}

}  // namespace
}  // namespace quen::platform
