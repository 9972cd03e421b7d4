// CWIMFile on real WIM files: opening, closing, and the image operations.
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/posix/WimMachine.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Wimgapi.h"

#include <filesystem>

namespace quen::test {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

const Files kModuleFiles = {{"data/readme.txt", "read me"}, {"setup.cmd", "@echo setup\r\n"}};

class WIMFileTest : public WimMachine {
protected:
    void SetUp() override
    {
        WimMachine::SetUp();
        m_work = Dir() + L"WIMs\\";
        m_temp = Dir() + L"Temp\\";
        CDirectory::Create(m_work);
        CDirectory::Create(m_temp);
    }

    // A scrambled copy of a fresh module WIM at `path`.
    std::wstring MakeScrambled(const std::wstring& path)
    {
        MakeWim(path, {ModuleImage()});
        ToggleHeader(Host(path));
        return path;
    }

    std::wstring m_work;
    std::wstring m_temp;
};

std::wstring ErrorText(uint32_t code) { return GetErrorText(code); }

TEST_F(WIMFileTest, APlainFileOpensInPlaceAndClosingDeletesNothing)
{
    const std::wstring path = MakeWim(Dir() + L"plain.wim", {ModuleImage()});
    {
        CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_TRUE(wim.IsOpen());
        EXPECT_FALSE(wim.IsEncrypted());
        EXPECT_TRUE(std::filesystem::is_empty(Host(m_work)));
        EXPECT_EQ(wim.GetExtractionDir(), L"");
    }
    EXPECT_EQ(LogTexts(), (std::vector<std::wstring>{
                              L"Opening WIM file: " + path,
                              L"Checking encryption for: " + path,
                              L"  Not Encrypted",
                              L"Open WIM File: " + path,
                              L"Cleaning up WIM File: \\" + path,
                          }));
    EXPECT_TRUE(CFilename::Exists(path));
}

TEST_F(WIMFileTest, AScrambledFileOpensThroughAWorkingCopyThatClosingDeletes)
{
    const std::wstring path = MakeScrambled(Dir() + L"in\\Module.mod");
    const std::string scrambled = ReadFile(path);
    // As from a read-only disc: the working copy must still be the owner's to unscramble.
    namespace fs = std::filesystem;
    fs::permissions(Host(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    {
        CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_TRUE(wim.IsEncrypted());
        EXPECT_NE(fs::status(Host(m_work + L"Module.mod")).permissions() & fs::perms::owner_write, fs::perms::none);
        EXPECT_TRUE(LogContains(L"  WIM is encrypted"));
        EXPECT_TRUE(LogContains(L"Open WIM File: " + m_work + L"Module.mod"));
        wim.ExtractImage((Dir() + L"out").c_str(), 1);
        EXPECT_EQ(FilesIn(Dir() + L"out"), kModuleFiles);
    }
    EXPECT_FALSE(CFilename::Exists(m_work + L"Module.mod"));
    EXPECT_EQ(ReadFile(path), scrambled);
}

TEST_F(WIMFileTest, AFileDamagedBeyondScramblingFailsAndLeavesNoWorkingCopy)
{
    const std::wstring path = Dir() + L"damaged.wim";
    WriteFile(path, std::string(4096, '\x42'));
    try {
        CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
        ADD_FAILURE() << "opened";
    } catch (const EFileException& e) {
        EXPECT_EQ(e.Message(), ErrorText(platform::err::InvalidData));
        EXPECT_EQ(e.Kind(), EFileException::OpenFailed);
        EXPECT_EQ(e.Directory(), m_work + L"damaged.wim");
    }
    EXPECT_TRUE(LogContains(L"Unable to open WIM file: " + m_work + L"damaged.wim  Error: " +
                            ErrorText(platform::err::InvalidData)));
    EXPECT_TRUE(LogContains(L"  Detail: wimlib error 43: "));
    EXPECT_FALSE(CFilename::Exists(m_work + L"damaged.wim"));
    EXPECT_EQ(ReadFile(path), std::string(4096, '\x42'));
}

TEST_F(WIMFileTest, AMissingFileIsReportedBeforeAnythingIsOpened)
{
    try {
        CWIMFile wim((Dir() + L"missing.wim").c_str(), nullptr, nullptr);
        ADD_FAILURE() << "opened";
    } catch (const EFileException& e) {
        EXPECT_EQ(e.Message(), L"Invalid or NULL WIM File specified.");
        EXPECT_EQ(e.Kind(), EFileException::NotFound);
    }
    EXPECT_THROW(CWIMFile(nullptr, nullptr, nullptr), EFileException);
}

TEST_F(WIMFileTest, ImagesLoadAsOwnedObjectsClosedInOrderWithTheFile)
{
    const std::wstring path = MakeWim(Dir() + L"three.wim", {ModuleImage(), ModuleImage(), ModuleImage()});
    {
        CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_EQ(wim.GetImageCount(), 3u);
        CWIMFile& first = wim.LoadImageW(2);
        CWIMFile& second = wim.LoadImageW(2);
        EXPECT_NE(&first, &second);
        EXPECT_TRUE(first.IsOpen());
        EXPECT_FALSE(first.IsEncrypted());
        EXPECT_TRUE(LogContains(L"Loading image " + path + L" index 2"));
        std::wstring info;
        EXPECT_TRUE(second.GetImageInformation(info));
        EXPECT_EQ(info.substr(0, 18), L"\xFEFF<IMAGE INDEX=\"2\">");
    }
    const auto lines = LogTexts();
    const std::vector<std::wstring> closing(lines.end() - 3, lines.end());
    EXPECT_EQ(closing, (std::vector<std::wstring>{L"Cleaning up WIM File: \\" + path,
                                                  L"Cleaning up WIM File: \\" + path + L"[2]",
                                                  L"Cleaning up WIM File: \\" + path + L"[2]"}));
}

TEST_F(WIMFileTest, AnImageThatIsNotThereCannotBeLoaded)
{
    const std::wstring path = MakeWim(Dir() + L"one.wim", {ModuleImage()});
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    try {
        wim.LoadImageW(4);
        ADD_FAILURE() << "loaded";
    } catch (const EFileException& e) {
        EXPECT_EQ(e.Message(), L"Unable to load WIM Image.");
        EXPECT_EQ(e.Kind(), EFileException::ImageApiFailed);
        EXPECT_EQ(e.Directory(), path);
    }
    EXPECT_TRUE(LogContains(L"Unable to load WIM Image.: " + path));
    EXPECT_TRUE(LogContains(L"  Detail: The WIM file holds 1 images; there is no image 4."));
    EXPECT_TRUE(wim.IsOpen());
}

TEST_F(WIMFileTest, ExtractImageReplacesWhatTheFolderHeld)
{
    const std::wstring path = MakeWim(Dir() + L"module.wim", {ModuleImage()});
    WriteFile(Dir() + L"out\\old.txt", "old");
    WriteFile(Dir() + L"out\\old\\deeper.txt", "old");
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    EXPECT_EQ(FilesIn(Dir() + L"out"), kModuleFiles);
    for (const std::wstring& line : {L"Extracting Image from WIM file to: " + Dir() + L"out  Index: 1",
                                    L"Setting reference file for image: " + path + L"  To: " + m_temp,
                                    L"Loading image " + path + L" index 1",
                                    L"Applying image: " + path + L"[1] Flags: 0"})
        EXPECT_TRUE(LogContains(line)) << ToUtf8(line);

    // A failing apply leaves the object open for another try.
    EXPECT_THROW(wim.ExtractImage((Dir() + L"out").c_str(), 2), EFileException);
    EXPECT_TRUE(wim.IsOpen());
}

TEST_F(WIMFileTest, ExtractImageFailsWhenTheFolderCannotBeMadeEmpty)
{
    const std::wstring path = MakeWim(Dir() + L"module.wim", {ModuleImage()});
    WriteFile(Dir() + L"file", "in the way");
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    try {
        wim.ExtractImage((Dir() + L"file").c_str(), 1);
        ADD_FAILURE() << "extracted";
    } catch (const ELibraryException& e) {
        EXPECT_EQ(e.Message(), L"Unable to empty the directory " + Dir() + L"file.");
        EXPECT_NE(e.ErrorCode(), 0u);
    }
    EXPECT_EQ(ReadFile(Dir() + L"file"), "in the way");
}

TEST_F(WIMFileTest, AFolderThatHoldsThePackageOrItsWorkingCopyIsNeitherExtractedNorMountedInto)
{
    const std::wstring plain = MakeWim(Dir() + L"pkg\\module.wim", {ModuleImage()});
    const std::wstring scrambled = MakeScrambled(Dir() + L"disc\\sub\\app.wim");
    CWIMFile plainWim(plain.c_str(), m_work.c_str(), m_temp.c_str());
    CWIMFile scrambledWim(scrambled.c_str(), m_work.c_str(), m_temp.c_str());
    const auto refused = [](CWIMFile& wim, const std::wstring& folder, const std::wstring& package, bool mount) {
        try {
            mount ? wim.MountImage(folder.c_str(), 1) : wim.ExtractImage(folder.c_str(), 1);
            ADD_FAILURE() << "not refused: " << ToUtf8(folder);
        } catch (const ELibraryException& e) {
            EXPECT_EQ(e.Message(),
                      L"The directory " + folder + L" holds the WIM file " + package + L"; it is not emptied.");
        }
    };
    refused(plainWim, Dir() + L"pkg", plain, false);
    refused(plainWim, Dir() + L"PKG\\", plain, true);
    refused(plainWim, Dir() + L"pkg\\..", plain, false);  // any depth, any spelling
    refused(scrambledWim, Dir() + L"disc", scrambled, true);
    refused(scrambledWim, m_work, m_work + L"app.wim", false);
    EXPECT_TRUE(CFilename::Exists(plain));
    EXPECT_TRUE(CFilename::Exists(scrambled));
    EXPECT_TRUE(CFilename::Exists(m_work + L"app.wim"));
    EXPECT_TRUE(plainWim.IsOpen() && scrambledWim.IsOpen());
}

TEST_F(WIMFileTest, MessageCallbacksFollowAnExtraction)
{
    const std::wstring path = MakeWim(Dir() + L"module.wim", {ModuleImage()});
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    static std::vector<uintptr_t> percents;
    percents.clear();
    const platform::WimMessageProc record = [](uint32_t message, uintptr_t wParam, intptr_t, void* user) {
        if (message == platform::WIM_MSG_PROGRESS && user == &percents)
            percents.push_back(wParam);
        return platform::WIM_MSG_SUCCESS;
    };
    const auto callback = reinterpret_cast<CWIMFile::MessageCallback>(reinterpret_cast<void (*)()>(record));
    EXPECT_TRUE(wim.RegisterMessageCallback(callback, &percents));
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100u);

    percents.clear();
    wim.UnregisterMessageCallback();
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    EXPECT_TRUE(percents.empty());
}

TEST_F(WIMFileTest, ImageInformationDescribesTheFileOrLeavesTheTextAlone)
{
    const std::wstring path = MakeWim(Dir() + L"info.wim", {ModuleImage("R-7")});
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    std::wstring info;
    EXPECT_TRUE(wim.GetImageInformation(info));
    EXPECT_EQ(info.substr(0, 6), L"\xFEFF<WIM>");
    EXPECT_NE(info.find(L"<RELEASEID>R-7</RELEASEID>"), std::wstring::npos);
    EXPECT_TRUE(LogContains(L"Getting image information for: " + path));

    // wimlib reads the description from the file when asked: a file cut
    // short under it makes the call fail.
    std::filesystem::resize_file(Host(path), 300);
    info = L"kept";
    EXPECT_FALSE(wim.GetImageInformation(info));
    EXPECT_EQ(info, L"kept");
}

TEST_F(WIMFileTest, ReferenceFilesCompleteASplitImage)
{
    WimImage big;
    for (int i = 0; i < 4; ++i)
        big.files.emplace_back("part" + std::to_string(i), std::string(300000, static_cast<char>('k' + i)));
    MakeWim(Dir() + L"whole.wim", {big}, {.compressed = false});
    const auto parts = SplitWim(Host(Dir() + L"whole.wim"), Host(Dir() + L"split.swm"), 500000);
    ASSERT_GE(parts.size(), 2u);

    CWIMFile wim((Dir() + L"split.swm").c_str(), m_work.c_str(), m_temp.c_str());
    try {
        wim.SetReferenceFile((Dir() + L"split2.swm").c_str(), 0);
        ADD_FAILURE() << "no exception";
    } catch (const ELibraryException& e) {
        EXPECT_EQ(e.Message(), ErrorText(platform::err::InvalidParameter));
    }
    EXPECT_TRUE(LogContains(L"Unable to set reference file for " + Dir() + L"split.swm.  Error: "));
    for (std::size_t i = 2; i <= parts.size(); ++i) {
        const std::wstring part = Dir() + L"split" + std::to_wstring(i) + L".swm";
        wim.SetReferenceFile(part.c_str(), platform::WIM_REFERENCE_APPEND);
        EXPECT_TRUE(LogContains(L"Setting reference file for image: " + Dir() + L"split.swm  To: " + part +
                                L"  Flags: 65536"));
    }
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    EXPECT_EQ(FilesIn(Dir() + L"out").size(), 4u);
}

TEST_F(WIMFileTest, ABadTemporaryPathFailsWithTheSystemsText)
{
    const std::wstring path = MakeWim(Dir() + L"module.wim", {ModuleImage()});
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    try {
        wim.SetTemporaryPath(L"C:\\bad|name");
        ADD_FAILURE() << "no exception";
    } catch (const ELibraryException& e) {
        EXPECT_EQ(e.Message(), ErrorText(platform::err::InvalidName));
    }
}

}  // namespace
}  // namespace quen::test
