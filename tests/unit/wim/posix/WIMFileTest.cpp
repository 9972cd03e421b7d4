// CWIMFile on real WIM files: opening, closing, and the image operations.
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/Thrown.h"
#include "fakes/posix/WimMachine.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Wimgapi.h"

#include <filesystem>
#include <functional>

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

TEST_F(WIMFileTest, APlainFileOpensInPlaceAndAScrambledOneThroughAWorkingCopyThatClosingDeletes)
{
    const std::wstring plain = MakeWim(Dir() + L"plain.wim", {ModuleImage()});
    {
        CWIMFile wim(plain.c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_FALSE(wim.IsEncrypted());
        EXPECT_TRUE(std::filesystem::is_empty(Host(m_work)));
        EXPECT_EQ(wim.GetExtractionDir(), L"");
    }
    EXPECT_TRUE(CFilename::Exists(plain));

    const std::wstring path = MakeScrambled(Dir() + L"in\\Module.mod");
    const std::string scrambled = ReadFile(path);
    // As from a read-only disc: the working copy must still be the owner's to unscramble.
    namespace fs = std::filesystem;
    fs::permissions(Host(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    {
        CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_TRUE(wim.IsEncrypted());
        EXPECT_NE(fs::status(Host(m_work + L"Module.mod")).permissions() & fs::perms::owner_write, fs::perms::none);
        wim.ExtractImage((Dir() + L"out").c_str(), 1);
        EXPECT_EQ(FilesIn(Dir() + L"out"), kModuleFiles);
    }
    EXPECT_FALSE(CFilename::Exists(m_work + L"Module.mod"));
    EXPECT_EQ(ReadFile(path), scrambled);
}

TEST_F(WIMFileTest, AMissingOrDamagedFileFailsToOpenAndLeavesNoWorkingCopy)
{
    const std::wstring path = Dir() + L"damaged.wim";
    WriteFile(path, std::string(4096, '\x42'));
    const auto damaged = Thrown<EFileException>([&] { CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str()); });
    ASSERT_TRUE(damaged);
    EXPECT_EQ(damaged->Message(), ErrorText(platform::err::InvalidData));
    EXPECT_EQ(damaged->Kind(), EFileException::OpenFailed);
    EXPECT_EQ(damaged->Directory(), m_work + L"damaged.wim");
    EXPECT_FALSE(CFilename::Exists(m_work + L"damaged.wim"));
    EXPECT_EQ(ReadFile(path), std::string(4096, '\x42'));

    const auto missing =
        Thrown<EFileException>([&] { CWIMFile wim((Dir() + L"missing.wim").c_str(), nullptr, nullptr); });
    EXPECT_EQ(missing ? missing->Kind() : -1, EFileException::NotFound);
    EXPECT_THROW(CWIMFile(nullptr, nullptr, nullptr), EFileException);
}

TEST_F(WIMFileTest, ImagesLoadAsOwnedObjectsAndOnlyThoseThatAreThere)
{
    const std::wstring path =
        MakeWim(Dir() + L"three.wim", {ModuleImage("R-1"), ModuleImage("R-2"), ModuleImage("R-3")});
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    EXPECT_EQ(wim.GetImageCount(), 3u);
    CWIMFile& first = wim.LoadImageW(2);
    CWIMFile& second = wim.LoadImageW(2);
    EXPECT_NE(&first, &second);
    EXPECT_TRUE(first.IsOpen());
    EXPECT_FALSE(first.IsEncrypted());
    std::wstring info;
    EXPECT_TRUE(second.GetImageInformation(info));
    EXPECT_EQ(info.substr(0, 18), L"\xFEFF<IMAGE INDEX=\"2\">");
    EXPECT_EQ(info.substr(info.size() - 8), L"</IMAGE>");
    EXPECT_EQ(info.find(L"R-1"), std::wstring::npos);

    const auto notThere = Thrown<EFileException>([&] { wim.LoadImageW(4); });
    ASSERT_TRUE(notThere);
    EXPECT_EQ(notThere->Kind(), EFileException::ImageApiFailed);
    EXPECT_EQ(notThere->Directory(), path);
    EXPECT_TRUE(wim.IsOpen());
}

TEST_F(WIMFileTest, ExtractImageReplacesWhatTheFolderHeldAndFollowsTheCallback)
{
    const std::wstring path = MakeWim(Dir() + L"module.wim", {ModuleImage()});
    WriteFile(Dir() + L"out\\old\\deeper.txt", "old");
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    static std::vector<uintptr_t> percents;
    percents.clear();
    const platform::WimMessageProc record = [](uint32_t message, uintptr_t wParam, intptr_t, void* user) {
        if (message == platform::WIM_MSG_PROGRESS && user == &percents)
            percents.push_back(wParam);
        return platform::WIM_MSG_SUCCESS;
    };
    EXPECT_TRUE(wim.RegisterMessageCallback(
        reinterpret_cast<CWIMFile::MessageCallback>(reinterpret_cast<void (*)()>(record)), &percents));
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    EXPECT_EQ(FilesIn(Dir() + L"out"), kModuleFiles);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100u);

    percents.clear();
    wim.UnregisterMessageCallback();
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    EXPECT_TRUE(percents.empty());
    // A failing apply leaves the object open for another try.
    EXPECT_THROW(wim.ExtractImage((Dir() + L"out").c_str(), 2), EFileException);
    EXPECT_TRUE(wim.IsOpen());
}

TEST_F(WIMFileTest, AFolderThatCannotBeEmptiedOrHoldsThePackageOrItsWorkingCopyIsNotUsed)
{
    const std::wstring plain = MakeWim(Dir() + L"pkg\\module.wim", {ModuleImage()});
    const std::wstring scrambled = MakeScrambled(Dir() + L"disc\\sub\\app.wim");
    WriteFile(Dir() + L"file", "in the way");
    CWIMFile plainWim(plain.c_str(), m_work.c_str(), m_temp.c_str());
    CWIMFile scrambledWim(scrambled.c_str(), m_work.c_str(), m_temp.c_str());
    const auto refused = [](CWIMFile& wim, const std::wstring& folder, const std::wstring& message, bool mount) {
        EXPECT_EQ(ThrownMessage<ELibraryException>([&] {
                      mount ? wim.MountImage(folder.c_str(), 1) : wim.ExtractImage(folder.c_str(), 1);
                  }),
                  message);
    };
    const auto holds = [](const std::wstring& folder, const std::wstring& package) {
        return L"The directory " + folder + L" holds the WIM file " + package + L"; it is not emptied.";
    };
    refused(plainWim, Dir() + L"file", L"Unable to empty the directory " + Dir() + L"file.", false);
    refused(plainWim, Dir() + L"pkg", holds(Dir() + L"pkg", plain), false);
    refused(plainWim, Dir() + L"PKG\\", holds(Dir() + L"PKG\\", plain), true);
    refused(plainWim, Dir() + L"pkg\\..", holds(Dir() + L"pkg\\..", plain), false);  // any depth, any spelling
    refused(scrambledWim, Dir() + L"disc", holds(Dir() + L"disc", scrambled), true);
    refused(scrambledWim, m_work, holds(m_work, m_work + L"app.wim"), false);
    EXPECT_EQ(ReadFile(Dir() + L"file"), "in the way");
    EXPECT_TRUE(CFilename::Exists(plain) && CFilename::Exists(scrambled) && CFilename::Exists(m_work + L"app.wim"));
    EXPECT_TRUE(plainWim.IsOpen() && scrambledWim.IsOpen());
}

TEST_F(WIMFileTest, ImageInformationDescribesTheFileOrLeavesTheTextAlone)
{
    const std::wstring path = MakeWim(Dir() + L"info.wim", {ModuleImage("R-7")});
    CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
    std::wstring info;
    EXPECT_TRUE(wim.GetImageInformation(info));
    EXPECT_EQ(info.substr(0, 6), L"\xFEFF<WIM>");
    EXPECT_NE(info.find(L"<RELEASEID>R-7</RELEASEID>"), std::wstring::npos);
    // wimlib reads the description from the file when asked: a file cut
    // short under it makes the call fail.
    std::filesystem::resize_file(Host(path), 300);
    info = L"kept";
    EXPECT_FALSE(wim.GetImageInformation(info));
    EXPECT_EQ(info, L"kept");
    EXPECT_EQ(ThrownMessage<ELibraryException>([&] { wim.SetTemporaryPath(L"C:\\bad|name"); }),
              ErrorText(platform::err::InvalidName));
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
    const auto failsWith = [](const std::function<void()>& call, uint32_t error) {
        EXPECT_EQ(ThrownMessage<ELibraryException>(call), ErrorText(error));
    };
    failsWith([&] { wim.ExtractImage((Dir() + L"out").c_str(), 1); }, platform::err::FileNotFound);
    const std::wstring second = Dir() + L"split2.swm";
    failsWith([&] { wim.SetReferenceFile(second.c_str(), 0); }, platform::err::InvalidParameter);
    for (std::size_t i = 2; i <= parts.size(); ++i)
        wim.SetReferenceFile((Dir() + L"split" + std::to_wstring(i) + L".swm").c_str(), platform::WIM_REFERENCE_APPEND);
    failsWith([&] { wim.SetReferenceFile(second.c_str(), platform::WIM_REFERENCE_REPLACE); },
              platform::err::NotSupported);
    wim.ExtractImage((Dir() + L"out").c_str(), 1);
    EXPECT_EQ(FilesIn(Dir() + L"out").size(), 4u);
}

}  // namespace
}  // namespace quen::test
