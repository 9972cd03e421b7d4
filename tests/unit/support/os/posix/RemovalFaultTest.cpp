#include "fakes/TestMachine.h"
#include "fakes/posix/FaultInjection.h"

#include <quen/OsServices.h>

#include "platform/FileSystem.h"

#include <cerrno>

namespace {

using RemovalFault = quen::test::TestMachine;

TEST_F(RemovalFault, AFileThatCannotBeRemovedLosesOnlyItsReadOnlyAttribute)
{
    const std::wstring file = Dir() + L"kept.sys";
    WriteFile(file, "system file");
    ASSERT_TRUE(CFileSystemObject::SetAttributes(file, eAttrReadOnly | eAttrHidden | eAttrSystem));
    // The attribute change is the first counted operation, the removal the second.
    quen::test::ArmFileSystemFault(2, EIO);
    const bool removed = CFilename::Delete(file);
    quen::test::DisarmFileSystemFault();
    EXPECT_FALSE(removed);
    EXPECT_EQ(quen::platform::GetAttributes(file), static_cast<uint32_t>(eAttrHidden | eAttrSystem));
}

}  // namespace
