// CWIMFile on real WIM files: opening, closing, the image operations, mounts
// and the working copy.
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/Thrown.h"
#include "fakes/WimBytes.h"
#include "fakes/posix/FaultInjection.h"
#include "fakes/posix/WimBuilder.h"
#include "platform/Errors.h"
#include "platform/Wimgapi.h"

#include <cerrno>
#include <fstream>

namespace quen::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::pair<std::string, std::string>> kModuleFiles = {{"data/readme.txt", "read me"},
                                                                       {"setup.cmd", "@echo setup\r\n"}};

class WIMFileTest : public WimMachine {
protected:
    void SetUp() override
    {
        WimMachine::SetUp();
        m_work = Dir() + L"WIMs\\";
        CDirectory::Create(m_work);
    }

    std::wstring m_work;
};

TEST_F(WIMFileTest, AScrambledFileOpensThroughAWorkingCopyThatClosingDeletes)
{
    const std::wstring path = MakeWim(Dir() + L"in\\Module.mod", {ModuleImage()});
    ToggleHeader(Host(path));
    const std::string scrambled = ReadFile(path);
    // As from a read-only disc: the working copy must still be the owner's to unscramble.
    fs::permissions(Host(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    {
        CWIMFile wim(path.c_str(), m_work.c_str(), nullptr);
        EXPECT_TRUE(wim.IsEncrypted());
        EXPECT_NE(fs::status(Host(m_work + L"Module.mod")).permissions() & fs::perms::owner_write, fs::perms::none);
        WriteFile(Dir() + L"out\\old\\deeper.txt", "replaced");
        wim.ExtractImage((Dir() + L"out").c_str(), 1);
        EXPECT_EQ(FilesIn(Dir() + L"out"), kModuleFiles);
    }
    EXPECT_FALSE(CFilename::Exists(m_work + L"Module.mod"));
    EXPECT_EQ(ReadFile(path), scrambled);
    EXPECT_THROW(CWIMFile((Dir() + L"missing.wim").c_str(), m_work.c_str(), nullptr), EFileException);
    EXPECT_THROW(CWIMFile(nullptr, nullptr, nullptr), EFileException);
}

// A link, a second drive letter or a hard link names the file's own folder
// past the folder test: the copy must still refuse to copy it onto itself.
TEST_F(WIMFileTest, DecryptRefusesAMappedDriveALinkOrAHardLinkToTheFile)
{
    std::string content = PlainHeader() + std::string(5000, 'w');
    content[0] = 'm';
    const std::wstring path = Dir() + L"own\\app.wim";
    WriteFile(path, content);
    MapDrive(L'Q', Host(Dir() + L"own"));
    fs::create_directory_symlink(Host(Dir() + L"own"), Host(Dir()) / "link");
    fs::create_directories(Host(Dir()) / "work");
    fs::create_hard_link(Host(path), Host(Dir()) / "work" / "app.wim");
    for (const std::wstring& workDir : {std::wstring(L"Q:\\"), Dir() + L"link", Dir() + L"work"}) {
        EXPECT_THROW(CWIMFile::Decrypt(path.c_str(), workDir.c_str()), CFileException) << ToUtf8(workDir);
        EXPECT_EQ(ReadFile(path), content);
    }
}

// A copy it could not finish, the header write among the steps, is never left behind.
TEST_F(WIMFileTest, ADecryptThatFailsAtAnyDiskChangeLeavesNoCopyInTheWorkFolder)
{
    WriteFile(Dir() + L"in\\app.wim", std::string(64, 'w'));
    const auto decrypt = [&] { return CWIMFile::Decrypt((Dir() + L"in\\app.wim").c_str(), Dir().c_str()); };
    ArmFileSystemFault(0, 0);
    const std::wstring copy = decrypt();
    const uint64_t steps = DisarmFileSystemFault();
    CFilename::Delete(copy);
    for (uint64_t failAt = 1; failAt <= steps; ++failAt) {
        ArmFileSystemFault(failAt, ENOSPC);
        const bool failed = Thrown<EBaseException>(decrypt).has_value();
        DisarmFileSystemFault();
        EXPECT_NE(fs::exists(Host(copy)), failed) << failAt;
    }
}

TEST_F(WIMFileTest, ImagesLoadAsObjectsThatDescribeThemselvesAndOnlyThoseThatAreThereWhileTheFileStaysOpen)
{
    const std::wstring path =
        MakeWim(Dir() + L"three.wim", {ModuleImage("R-1"), ModuleImage("R-2"), ModuleImage("R-3")});
    CWIMFile wim(path.c_str(), m_work.c_str(), nullptr);
    std::wstring info;
    EXPECT_TRUE(wim.GetImageInformation(info));
    EXPECT_EQ(info.substr(0, 6), L"\xFEFF<WIM>");
    EXPECT_NE(info.find(L"<RELEASEID>R-3</RELEASEID>"), std::wstring::npos);
    CWIMFile& image = wim.LoadImageW(2);
    EXPECT_TRUE(image.GetImageInformation(info));
    EXPECT_EQ(info.substr(0, 18), L"\xFEFF<IMAGE INDEX=\"2\">");
    EXPECT_EQ(info.find(L"R-1"), std::wstring::npos);

    EXPECT_THROW(wim.ExtractImage((Dir() + L"out").c_str(), 4), EFileException);
    EXPECT_THROW(wim.SetTemporaryPath(L"C:\\bad|name"), ELibraryException);
    // wimlib reads the description from the file when asked: a file cut short
    // under it makes the call fail.
    fs::resize_file(Host(path), 300);
    info = L"kept";
    EXPECT_FALSE(wim.GetImageInformation(info));
    EXPECT_EQ(info, L"kept");
    EXPECT_TRUE(wim.IsOpen());
}

TEST_F(WIMFileTest, AFolderThatCannotBeEmptiedOrHoldsThePackageOrItsWorkingCopyIsNotUsed)
{
    const std::wstring plain = MakeWim(Dir() + L"pkg\\module.wim", {ModuleImage()});
    const std::wstring scrambled = MakeWim(Dir() + L"disc\\sub\\app.wim", {ModuleImage()});
    ToggleHeader(Host(scrambled));
    WriteFile(Dir() + L"file", "in the way");
    CWIMFile plainWim(plain.c_str(), m_work.c_str(), nullptr);
    CWIMFile scrambledWim(scrambled.c_str(), m_work.c_str(), nullptr);
    // Any depth and any spelling of the folder, by extracting or mounting.
    const std::tuple<CWIMFile*, std::wstring, bool> refused[] = {
        {&plainWim, Dir() + L"file", false},    {&plainWim, Dir() + L"pkg", false},
        {&plainWim, Dir() + L"PKG\\", true},    {&plainWim, Dir() + L"pkg\\..", false},
        {&scrambledWim, Dir() + L"disc", true}, {&scrambledWim, m_work, false},
    };
    for (const auto& [wim, folder, mount] : refused) {
        EXPECT_THROW(mount ? wim->MountImage(folder.c_str(), 1) : wim->ExtractImage(folder.c_str(), 1),
                     ELibraryException)
            << ToUtf8(folder);
    }
    EXPECT_EQ(ReadFile(Dir() + L"file"), "in the way");
    EXPECT_TRUE(CFilename::Exists(plain) && CFilename::Exists(scrambled) && CFilename::Exists(m_work + L"app.wim"));
    EXPECT_TRUE(plainWim.IsOpen() && scrambledWim.IsOpen());
}

TEST_F(WIMFileTest, ReferenceFilesCompleteASplitImage)
{
    WimImage big;
    for (int i = 0; i < 4; ++i)
        big.files.emplace_back("part" + std::to_string(i), std::string(300000, static_cast<char>('k' + i)));
    MakeWim(Dir() + L"whole.wim", {big}, {.compressed = false});
    const std::size_t parts = SplitWim(Host(Dir() + L"whole.wim"), Host(Dir() + L"split.swm"), 500000);
    CWIMFile wim((Dir() + L"split.swm").c_str(), m_work.c_str(), nullptr);
    EXPECT_THROW(wim.ExtractImage((Dir() + L"out").c_str(), 1), ELibraryException);
    for (std::size_t i = 2; i <= parts; ++i)
        wim.SetReferenceFile((Dir() + L"split" + std::to_wstring(i) + L".swm").c_str(), platform::WIM_REFERENCE_APPEND);
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    EXPECT_EQ(FilesIn(Dir() + L"out").size(), 4u);
}

// Mounting goes over FUSE: a machine that cannot mount (no /dev/fuse, no right to mount) skips, naming why.
TEST_F(WIMFileTest, AMountShowsTheImageUntilTheNextMountOrCloseAndDropsWhatWasWrittenToIt)
{
    const std::wstring path = MakeWim(Dir() + L"mount.wim", {ModuleImage("", "one"), ModuleImage("", "two")});
    CDirectory::Create(Dir() + L"probe");
    if (!platform::WIMMountImage((Dir() + L"probe").c_str(), path.c_str(), 1, nullptr))
        GTEST_SKIP() << "this machine cannot mount WIM images: " << ToUtf8(GetErrorText(platform::LastError()))
                     << ToUtf8(platform::WimFailureDetail());
    platform::WIMUnmountImage((Dir() + L"probe").c_str(), path.c_str(), 1, false);

    const std::wstring first = Dir() + L"first";
    const std::wstring second = Dir() + L"second";
    WriteFile(second + L"\\stale.txt", "stale");
    {
        CWIMFile wim(path.c_str(), nullptr, nullptr);
        wim.MountImage(first.c_str(), 1);
        EXPECT_EQ(ReadFile(first + L"\\setup.cmd"), "@echo one\r\n");
        EXPECT_THROW(wim.MountImage((Dir() + L"third").c_str(), 7), ELibraryException);
        EXPECT_TRUE(std::filesystem::is_empty(Host(first)));
        wim.MountImage(second.c_str(), 2);
        EXPECT_EQ(ReadFile(second + L"\\setup.cmd"), "@echo two\r\n");
        EXPECT_FALSE(std::filesystem::exists(Host(second) / "stale.txt"));
        std::ofstream(Host(second) / "new.txt") << "new";
    }
    EXPECT_TRUE(std::filesystem::is_empty(Host(second)));
    CWIMFile again(path.c_str(), nullptr, nullptr);
    again.ExtractImage((Dir() + L"out").c_str(), 2);
    EXPECT_FALSE(std::filesystem::exists(Host(Dir() + L"out") / "new.txt"));
}

}  // namespace
}  // namespace quen::test
