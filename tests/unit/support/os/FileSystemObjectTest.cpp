#include "fakes/Thrown.h"
#include "fakes/TestMachine.h"

#include <quen/OsServices.h>

#include "platform/Paths.h"

namespace {

using PathRules = quen::test::TestMachine;

TEST_F(PathRules, SlashesParentsNamesAndRelativePathsFollowTheWindowsRulesAndAnInvalidPathThrowsNamingIt)
{
    ASSERT_TRUE(quen::platform::SetCurrentDir(Dir()));
    const auto moved = [](auto object, const wchar_t* setPath, const wchar_t* add) {
        if (setPath)
            object.SetPath(setPath);
        if (add)
            object.PathAdd(add);
        return object.GetFullPath();
    };
    const std::pair<std::wstring, std::wstring> cases[] = {
        {CDirectory(L"sub").GetFullPath(), Dir() + L"sub\\"},
        {moved(CFilename(L"C:\\one\\image.wim"), L"D:\\work", nullptr), L"D:\\work\\image.wim"},
        {moved(CFilename(L"C:\\one\\image.wim"), nullptr, L"inner\\x.bin"), L"C:\\one\\image.wim\\inner\\x.bin"},
        {moved(CDirectory(L"C:\\src"), L"E:\\", L"Release\\Module"), L"E:\\Release\\Module\\"},
        {CFileSystemObject::PathAddSlash(L"C:\\a\\\\/"), L"C:\\a\\"},
        {CDirectory::GetParentDirectory(L"C:\\a\\b\\"), L"C:\\a\\"},
        {CDirectory::GetParentDirectory(L"C:\\"), L"C:\\"},
        {CDirectory::GetParentDirectory(L"\\\\srv\\share\\x"), L"\\\\srv\\share\\"},
        {CDirectory::GetParentDirectory(L"\\\\srv\\share\\"), L"\\\\srv\\share\\"},
        {CDirectory::GetParentDirectory(L"C:\\a?b"), L""},
        {CFilename(L"C:\\Data\\setup.exe").GetFullName(), L"setup.exe"},
        {CFilename(L"C:\\x\\archive.tar.gz").GetName(), L"archive.tar"},
        {CFilename(L"C:\\x\\README").GetName(), L"README"},
    };
    for (const auto& [result, expected] : cases)
        EXPECT_EQ(result, expected);

    const auto bad = quen::test::Thrown<CFileException>([] { CDirectory folder(L"C:\\bad|name"); }).value();
    EXPECT_EQ(bad.Kind(), EFileException::BadPath);
    EXPECT_EQ(bad.Directory(), L"C:\\bad|name");
}

}  // namespace
