#include <quen/OsServices.h>

#include "fakes/Thrown.h"
#include "fakes/TestMachine.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

namespace {

class ExecuteCmdTest : public quen::test::TestMachine {};

TEST_F(ExecuteCmdTest, StoresTheExitCodeWithEitherFlag)
{
    const std::wstring child = quen::test::MapChildProgram(L'T');
    for (uint32_t flags : {0u, 1u}) {
        uint32_t exitCode = 0;
        EXPECT_TRUE(CExecuteCmd::ExecuteProgram(child, L"--quen-child exit 42", flags, exitCode));
        EXPECT_EQ(exitCode, 42u) << "flags " << flags;
    }
}

TEST_F(ExecuteCmdTest, ProgramThatCannotStartThrowsNamingItAndTheSystemError)
{
    const std::wstring program = Dir() + L"missing\\setup.exe";
    uint32_t exitCode = 12345;
    const auto e =
        quen::test::Thrown<ELibraryException>([&] { CExecuteCmd::ExecuteProgram(program, L"", 1, exitCode); });
    ASSERT_TRUE(e);
    EXPECT_NE(e->Message().find(program), std::wstring::npos);
    EXPECT_EQ(e->ErrorCode(), quen::platform::err::PathNotFound);
    EXPECT_EQ(exitCode, 12345u);
}

}  // namespace
