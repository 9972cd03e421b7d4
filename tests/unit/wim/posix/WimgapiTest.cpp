// The wimgapi calls over wimlib, on real WIM files.
#include "fakes/posix/WimMachine.h"
#include "platform/Errors.h"
#include "foundation/WideString.h"
#include "platform/Wimgapi.h"

#include <filesystem>
#include <fstream>

namespace quen::test {
namespace {

using namespace quen::platform;

constexpr uint32_t kRead = WIM_GENERIC_READ | WIM_GENERIC_MOUNT;

struct Messages {
    std::vector<std::pair<uint32_t, uintptr_t>> received;
    uint32_t answer = WIM_MSG_SUCCESS;
};

uint32_t Record(uint32_t message, uintptr_t wParam, intptr_t, void* userData)
{
    auto& messages = *static_cast<Messages*>(userData);
    messages.received.emplace_back(message, wParam);
    return messages.answer;
}

WimGenericProc AsProc(WimMessageProc proc) { return reinterpret_cast<WimGenericProc>(reinterpret_cast<void (*)()>(proc)); }

class WimgapiTest : public WimMachine {
protected:
    WimHandle Open(const std::wstring& path, uint32_t flags = WIM_FLAG_VERIFY)
    {
        return WIMCreateFile(path.c_str(), kRead, WIM_OPEN_EXISTING, flags, WIM_COMPRESS_NONE, nullptr);
    }

    // The last error and detail of a call that had to fail.
    std::pair<uint32_t, std::wstring> Failure() const { return {LastError(), WimFailureDetail()}; }

    std::wstring Information(WimHandle handle)
    {
        void* buffer = nullptr;
        uint32_t size = 0;
        if (!WIMGetImageInformation(handle, &buffer, &size))
            return L"<failed>";
        std::u16string text = Utf16FromLe({static_cast<const char*>(buffer), size});
        LocalFree(buffer);
        EXPECT_EQ(text.back(), u'\0');
        text.pop_back();
        return FromUtf16(text);
    }
};

TEST_F(WimgapiTest, OpensAnExistingFileAndCountsItsImages)
{
    const std::wstring path = MakeWim(Dir() + L"three.wim", {ModuleImage(), ModuleImage(), ModuleImage()});
    uint32_t result = 7;
    WimHandle wim = WIMCreateFile(path.c_str(), kRead, WIM_OPEN_EXISTING, WIM_FLAG_VERIFY, WIM_COMPRESS_NONE, &result);
    ASSERT_NE(wim, nullptr) << ToUtf8(WimFailureDetail());
    EXPECT_EQ(result, WIM_OPENED_EXISTING);
    EXPECT_EQ(WIMGetImageCount(wim), 3u);
    EXPECT_TRUE(WIMCloseHandle(wim));

    // A closed handle is refused, and never names another file later.
    EXPECT_FALSE(WIMCloseHandle(wim));
    EXPECT_EQ(LastError(), err::InvalidHandle);
    WimHandle other = Open(path);
    EXPECT_NE(other, wim);
    EXPECT_EQ(WIMGetImageCount(wim), 0u);
    EXPECT_EQ(LastError(), err::InvalidHandle);
    WIMCloseHandle(other);
}

TEST_F(WimgapiTest, OpenFailuresBecomeWin32CodesWithWimlibsTextForTheLog)
{
    MakeWim(Dir() + L"good.wim", {ModuleImage()});
    WriteFile(Dir() + L"text.wim", std::string(1000, 't'));
    WriteFile(Dir() + L"short.wim", "MSWIM");

    EXPECT_EQ(Open(Dir() + L"missing.wim"), nullptr);
    EXPECT_EQ(Failure().first, err::FileNotFound);
    EXPECT_EQ(Open(Dir() + L"no\\such\\folder.wim"), nullptr);
    EXPECT_EQ(Failure().first, err::PathNotFound);
    EXPECT_EQ(Open(Dir()), nullptr);
    EXPECT_EQ(Failure().first, err::AccessDenied);
    EXPECT_EQ(Open(L"C:\\bad?name.wim"), nullptr);
    EXPECT_EQ(Failure().first, err::InvalidName);

    EXPECT_EQ(Open(Dir() + L"text.wim"), nullptr);
    EXPECT_EQ(Failure(), std::make_pair(err::InvalidData,
                                        std::wstring(L"wimlib error 43: The file did not begin with the magic "
                                                     L"characters that identify a WIM file")));
    EXPECT_EQ(Open(Dir() + L"short.wim"), nullptr);
    EXPECT_EQ(Failure().first, err::FileCorrupt);

    // Only reading an existing file is offered.
    EXPECT_EQ(WIMCreateFile((Dir() + L"good.wim").c_str(), kRead | 0x40000000u, WIM_OPEN_EXISTING, 0, 0, nullptr),
              nullptr);
    EXPECT_EQ(Failure().first, err::NotSupported);
    EXPECT_EQ(WIMCreateFile((Dir() + L"good.wim").c_str(), kRead, 1, 0, 0, nullptr), nullptr);
    EXPECT_EQ(Failure().first, err::NotSupported);
    EXPECT_EQ(WIMCreateFile(nullptr, kRead, WIM_OPEN_EXISTING, 0, 0, nullptr), nullptr);
    EXPECT_EQ(Failure().first, err::InvalidParameter);

    // A call that succeeds forgets the last detail.
    WimHandle wim = Open(Dir() + L"good.wim");
    EXPECT_EQ(WimFailureDetail(), L"");
    WIMCloseHandle(wim);
}

TEST_F(WimgapiTest, VerifyingChecksTheIntegrityTable)
{
    WimImage big;
    big.files = {{"big.bin", std::string(200000, 'q')}};
    const std::wstring path = MakeWim(Dir() + L"checked.wim", {big}, {.integrityTable = true, .compressed = false});
    std::fstream file(Host(path), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(100000);
    file.put('X');
    file.close();

    EXPECT_EQ(Open(path), nullptr);
    EXPECT_EQ(Failure().first, err::FileCorrupt);
    WimHandle unchecked = Open(path, 0);
    EXPECT_NE(unchecked, nullptr);
    WIMCloseHandle(unchecked);
}

TEST_F(WimgapiTest, ImagesLoadByIndexAndApplyIntoAFolder)
{
    const std::wstring path = MakeWim(Dir() + L"two.wim", {ModuleImage("", "one"), ModuleImage("", "two")});
    WimHandle wim = Open(path);
    EXPECT_EQ(WIMLoadImage(wim, 0), nullptr);
    EXPECT_EQ(Failure(), std::make_pair(err::InvalidParameter,
                                        std::wstring(L"The WIM file holds 2 images; there is no image 0.")));
    EXPECT_EQ(WIMLoadImage(wim, 3), nullptr);
    EXPECT_EQ(LastError(), err::InvalidParameter);

    WimHandle image = WIMLoadImage(wim, 2);
    ASSERT_NE(image, nullptr);
    // An image handle is not a file handle, nor the other way round.
    EXPECT_EQ(WIMLoadImage(image, 1), nullptr);
    EXPECT_EQ(LastError(), err::InvalidHandle);
    EXPECT_FALSE(WIMApplyImage(wim, (Dir() + L"out").c_str(), 0));
    EXPECT_EQ(LastError(), err::InvalidHandle);

    EXPECT_FALSE(WIMApplyImage(image, (Dir() + L"out").c_str(), 0x100));
    EXPECT_EQ(LastError(), err::NotSupported);
    ASSERT_TRUE(WIMApplyImage(image, (Dir() + L"out").c_str(), WIM_FLAG_VERIFY)) << ToUtf8(WimFailureDetail());
    EXPECT_EQ(FilesIn(Dir() + L"out"), (std::vector<std::pair<std::string, std::string>>{
                                           {"data/readme.txt", "read me"}, {"setup.cmd", "@echo two\r\n"}}));

    // The image keeps its file open after the file's handle is closed.
    EXPECT_TRUE(WIMCloseHandle(wim));
    EXPECT_TRUE(WIMApplyImage(image, (Dir() + L"again").c_str(), 0));
    EXPECT_TRUE(WIMCloseHandle(image));
}

TEST_F(WimgapiTest, InformationIsTheXmlOfTheFileOrOfOneImage)
{
    WimImage first = ModuleImage("R-1");
    WimImage second = ModuleImage("R-2");
    const std::wstring path = MakeWim(Dir() + L"info.wim", {first, second});
    WimHandle wim = Open(path);
    const std::wstring whole = Information(wim);
    EXPECT_EQ(whole.substr(0, 6), L"\xFEFF<WIM>");
    EXPECT_NE(whole.find(L"<RELEASEID>R-1</RELEASEID>"), std::wstring::npos);
    EXPECT_NE(whole.find(L"<RELEASEID>R-2</RELEASEID>"), std::wstring::npos);

    WimHandle image = WIMLoadImage(wim, 2);
    const std::wstring one = Information(image);
    EXPECT_EQ(one.substr(0, 18), L"\xFEFF<IMAGE INDEX=\"2\">");
    EXPECT_EQ(one.substr(one.size() - 8), L"</IMAGE>");
    EXPECT_EQ(one.find(L"R-1"), std::wstring::npos);
    EXPECT_NE(one.find(L"<RELEASEID>R-2</RELEASEID>"), std::wstring::npos);

    EXPECT_FALSE(WIMGetImageInformation(wim, nullptr, nullptr));
    EXPECT_EQ(LastError(), err::InvalidParameter);
    WIMCloseHandle(image);
    WIMCloseHandle(wim);
}

TEST_F(WimgapiTest, ExtractionProgressReachesTheCallbacksAsPercentMessages)
{
    WimImage big;
    for (int i = 0; i < 20; ++i)
        big.files.emplace_back("f" + std::to_string(i), std::string(100000, static_cast<char>('a' + i)));
    const std::wstring path = MakeWim(Dir() + L"big.wim", {big});
    WimHandle wim = Open(path);
    Messages first, second;
    EXPECT_EQ(WIMRegisterMessageCallback(wim, AsProc(Record), &first), 0u);
    EXPECT_EQ(WIMRegisterMessageCallback(wim, AsProc(Record), &second), 1u);
    WimHandle image = WIMLoadImage(wim, 1);
    ASSERT_TRUE(WIMApplyImage(image, (Dir() + L"out").c_str(), 0));

    ASSERT_GE(first.received.size(), 3u);
    EXPECT_EQ(first.received.front(), std::make_pair(WIM_MSG_PROGRESS, uintptr_t{0}));
    EXPECT_EQ(first.received.back(), std::make_pair(WIM_MSG_PROGRESS, uintptr_t{100}));
    for (std::size_t i = 1; i < first.received.size(); ++i)
        EXPECT_LT(first.received[i - 1].second, first.received[i].second);
    EXPECT_EQ(second.received, first.received);

    // Unregistering one procedure removes its first registration; null removes all.
    EXPECT_TRUE(WIMUnregisterMessageCallback(wim, AsProc(Record)));
    first.received.clear();
    second.received.clear();
    ASSERT_TRUE(WIMApplyImage(image, (Dir() + L"out2").c_str(), 0));
    EXPECT_FALSE(second.received.empty());
    EXPECT_TRUE(WIMUnregisterMessageCallback(wim, nullptr));
    EXPECT_FALSE(WIMUnregisterMessageCallback(wim, AsProc(Record)));
    second.received.clear();
    ASSERT_TRUE(WIMApplyImage(image, (Dir() + L"out3").c_str(), 0));
    EXPECT_TRUE(second.received.empty());
    WIMCloseHandle(image);
    WIMCloseHandle(wim);
}

TEST_F(WimgapiTest, ACallbackCanAbortTheExtraction)
{
    const std::wstring path = MakeWim(Dir() + L"abort.wim", {ModuleImage()});
    WimHandle wim = Open(path);
    Messages messages;
    messages.answer = WIM_MSG_ABORT_IMAGE;
    WIMRegisterMessageCallback(wim, AsProc(Record), &messages);
    WimHandle image = WIMLoadImage(wim, 1);
    EXPECT_FALSE(WIMApplyImage(image, (Dir() + L"out").c_str(), 0));
    EXPECT_EQ(LastError(), err::RequestAborted);
    EXPECT_EQ(messages.received.size(), 1u);

    // Callbacks belong to files: not to images, and never null.
    EXPECT_EQ(WIMRegisterMessageCallback(image, AsProc(Record), &messages), INVALID_CALLBACK_VALUE);
    EXPECT_EQ(LastError(), err::InvalidHandle);
    EXPECT_EQ(WIMRegisterMessageCallback(wim, nullptr, nullptr), INVALID_CALLBACK_VALUE);
    EXPECT_EQ(LastError(), err::InvalidParameter);
    EXPECT_EQ(WIMRegisterMessageCallback(nullptr, AsProc(Record), nullptr), INVALID_CALLBACK_VALUE);
    WIMCloseHandle(image);
    WIMCloseHandle(wim);
}

TEST_F(WimgapiTest, ASplitFileAppliesOnceItsOtherPartsAreReferenced)
{
    WimImage big;
    for (int i = 0; i < 6; ++i)
        big.files.emplace_back("part" + std::to_string(i), std::string(300000, static_cast<char>('k' + i)));
    MakeWim(Dir() + L"whole.wim", {big}, {.compressed = false});
    const auto parts = SplitWim(Host(Dir() + L"whole.wim"), Host(Dir() + L"split.swm"), 700000);
    ASSERT_GE(parts.size(), 2u);

    WimHandle wim = Open(Dir() + L"split.swm");
    ASSERT_NE(wim, nullptr) << ToUtf8(WimFailureDetail());
    WimHandle image = WIMLoadImage(wim, 1);
    EXPECT_FALSE(WIMApplyImage(image, (Dir() + L"out").c_str(), 0));
    EXPECT_EQ(LastError(), err::FileNotFound);

    EXPECT_FALSE(WIMSetReferenceFile(wim, (Dir() + L"split2.swm").c_str(), 0));
    EXPECT_EQ(LastError(), err::InvalidParameter);
    for (std::size_t i = 2; i <= parts.size(); ++i) {
        const std::wstring part = Dir() + L"split" + std::to_wstring(i) + L".swm";
        EXPECT_TRUE(WIMSetReferenceFile(wim, part.c_str(), WIM_REFERENCE_APPEND)) << ToUtf8(WimFailureDetail());
    }
    EXPECT_FALSE(WIMSetReferenceFile(wim, (Dir() + L"split2.swm").c_str(), WIM_REFERENCE_REPLACE));
    EXPECT_EQ(LastError(), err::NotSupported);
    EXPECT_TRUE(WIMApplyImage(image, (Dir() + L"out").c_str(), 0)) << ToUtf8(WimFailureDetail());
    EXPECT_EQ(FilesIn(Dir() + L"out").size(), 6u);
    WIMCloseHandle(image);
    WIMCloseHandle(wim);
}

TEST_F(WimgapiTest, TheTemporaryPathMustBeAWindowsPath)
{
    const std::wstring path = MakeWim(Dir() + L"temp.wim", {ModuleImage()});
    WimHandle wim = Open(path);
    EXPECT_TRUE(WIMSetTemporaryPath(wim, L"C:\\Windows\\Temp\\"));
    EXPECT_FALSE(WIMSetTemporaryPath(wim, L"C:\\a|b"));
    EXPECT_EQ(LastError(), err::InvalidName);
    EXPECT_FALSE(WIMSetTemporaryPath(wim, nullptr));
    EXPECT_EQ(LastError(), err::InvalidParameter);
    WIMCloseHandle(wim);
}

}  // namespace
}  // namespace quen::test
