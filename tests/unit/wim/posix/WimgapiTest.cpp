// The wimgapi calls over wimlib, on real WIM files.
#include "fakes/posix/WimMachine.h"
#include "platform/Errors.h"
#include "foundation/WideString.h"
#include "platform/Wimgapi.h"

#include <filesystem>

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
    const std::wstring good = Dir() + L"good.wim";
    const std::tuple<std::wstring, uint32_t, uint32_t, uint32_t> cases[] = {
        {Dir() + L"missing.wim", kRead, WIM_OPEN_EXISTING, err::FileNotFound},
        {Dir() + L"no\\such\\folder.wim", kRead, WIM_OPEN_EXISTING, err::PathNotFound},
        {Dir(), kRead, WIM_OPEN_EXISTING, err::AccessDenied},
        {L"C:\\bad?name.wim", kRead, WIM_OPEN_EXISTING, err::InvalidName},
        // Only reading an existing file is offered.
        {good, kRead | 0x40000000u, WIM_OPEN_EXISTING, err::NotSupported},
        {good, kRead, 1, err::NotSupported},
    };
    for (const auto& [path, access, disposition, error] : cases) {
        EXPECT_EQ(WIMCreateFile(path.c_str(), access, disposition, 0, 0, nullptr), nullptr) << ToUtf8(path);
        EXPECT_EQ(LastError(), error) << ToUtf8(path);
    }
    EXPECT_EQ(WIMCreateFile(nullptr, kRead, WIM_OPEN_EXISTING, 0, 0, nullptr), nullptr);
    EXPECT_EQ(LastError(), err::InvalidParameter);
    EXPECT_EQ(Open(Dir() + L"text.wim"), nullptr);
    EXPECT_EQ(WimFailureDetail(), L"wimlib error 43: The file did not begin with the magic characters that identify "
                                  L"a WIM file");

    // A call that succeeds forgets the last detail.
    WimHandle wim = Open(good);
    EXPECT_EQ(WimFailureDetail(), L"");
    WIMCloseHandle(wim);
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

TEST_F(WimgapiTest, ExtractionProgressReachesTheFilesCallbacksAsPercentMessagesThatCanAbortIt)
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

    Messages aborting;
    aborting.answer = WIM_MSG_ABORT_IMAGE;
    WIMRegisterMessageCallback(wim, AsProc(Record), &aborting);
    EXPECT_FALSE(WIMApplyImage(image, (Dir() + L"out4").c_str(), 0));
    EXPECT_EQ(LastError(), err::RequestAborted);
    EXPECT_EQ(aborting.received.size(), 1u);

    // Callbacks belong to files: not to images, and never null.
    EXPECT_EQ(WIMRegisterMessageCallback(image, AsProc(Record), &first), INVALID_CALLBACK_VALUE);
    EXPECT_EQ(LastError(), err::InvalidHandle);
    EXPECT_EQ(WIMRegisterMessageCallback(wim, nullptr, nullptr), INVALID_CALLBACK_VALUE);
    EXPECT_EQ(LastError(), err::InvalidParameter);
    EXPECT_EQ(WIMRegisterMessageCallback(nullptr, AsProc(Record), nullptr), INVALID_CALLBACK_VALUE);
    WIMCloseHandle(image);
    WIMCloseHandle(wim);
}

}  // namespace
}  // namespace quen::test
