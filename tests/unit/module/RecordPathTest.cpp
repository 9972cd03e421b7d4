// The record-path check on its own: what a record may name below a folder.
#include "fakes/Thrown.h"
#include "module/RecordPath.h"

#include <quen/Exceptions.h>

#include <gtest/gtest.h>

namespace {

TEST(RecordPath, PlainRelativePathsPassWithOneOuterBackslashTolerated)
{
    for (const wchar_t* path : {L"Modules", L"Modules\\Office", L"Modules/Office", L"\\Modules\\Office",
                                L"Modules\\Office\\", L"Office 2019", L"a.b", L"..a", L"Release.1.0"})
        EXPECT_TRUE(quen::IsSafeRecordPath(path)) << path;
}

TEST(RecordPath, AFailedCheckNamesFieldRecordAndPathAtTheCallersPlace)
{
    const auto e = quen::test::Thrown<ELibraryException>(
        [] { quen::CheckRecordPath(L"..\\x", L"ReleaseID_Rel", L"\"Office\"", L".\\ModuleInstaller", 42); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Message(), L"Field \"ReleaseID_Rel\" of record \"Office\" must be a relative path below its "
                            L"folder (no drive, share, \".\", \"..\" or empty part): \"..\\x\".");
    EXPECT_EQ(e->SourceFile(), L".\\ModuleInstaller");
    EXPECT_EQ(e->Line(), 42);
    EXPECT_NO_THROW(quen::CheckRecordPath(L"x", L"ReleaseID_Rel", L"\"Office\"", L".\\ModuleInstaller", 42));
}

}  // namespace
