// The wimgapi calls over wimlib, on real WIM files.
#include "fakes/posix/WimBuilder.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Wimgapi.h"

#include <algorithm>
#include <functional>

namespace quen::test {
namespace {

using namespace quen::platform;

constexpr uint32_t kRead = WIM_GENERIC_READ | WIM_GENERIC_MOUNT;

struct Messages {
    std::vector<uintptr_t> percents;
    uint32_t answer = WIM_MSG_SUCCESS;
};

uint32_t Record(uint32_t message, uintptr_t wParam, intptr_t, void* userData)
{
    auto& messages = *static_cast<Messages*>(userData);
    if (message == WIM_MSG_PROGRESS)
        messages.percents.push_back(wParam);
    return messages.answer;
}

const WimGenericProc kRecord = reinterpret_cast<WimGenericProc>(reinterpret_cast<void (*)()>(&Record));

class WimgapiTest : public WimMachine {
protected:
    WimHandle Open(const std::wstring& path, uint32_t access = kRead, uint32_t disposition = WIM_OPEN_EXISTING)
    {
        return WIMCreateFile(path.c_str(), access, disposition, WIM_FLAG_VERIFY, WIM_COMPRESS_NONE, nullptr);
    }
};

TEST_F(WimgapiTest, OpenFailuresBecomeWin32CodesAndAClosedHandleIsRefusedAndNeverReused)
{
    const std::wstring good = MakeWim(Dir() + L"good.wim", {ModuleImage(), ModuleImage(), ModuleImage()});
    WriteFile(Dir() + L"text.wim", std::string(1000, 't'));
    const std::tuple<std::wstring, uint32_t, uint32_t, uint32_t> cases[] = {
        {Dir() + L"missing.wim", kRead, WIM_OPEN_EXISTING, err::FileNotFound},
        {Dir() + L"no\\such\\folder.wim", kRead, WIM_OPEN_EXISTING, err::PathNotFound},
        {Dir(), kRead, WIM_OPEN_EXISTING, err::AccessDenied},
        {L"C:\\bad?name.wim", kRead, WIM_OPEN_EXISTING, err::InvalidName},
        // Only reading an existing file is offered.
        {good, kRead | 0x40000000u, WIM_OPEN_EXISTING, err::NotSupported},
        {good, kRead, 1, err::NotSupported},
        {Dir() + L"text.wim", kRead, WIM_OPEN_EXISTING, err::InvalidData},
    };
    for (const auto& [path, access, disposition, error] : cases) {
        EXPECT_EQ(Open(path, access, disposition), nullptr) << ToUtf8(path);
        EXPECT_EQ(LastError(), error) << ToUtf8(path);
    }
    // The detail is wimlib's text, for the log; a call that succeeds forgets it.
    EXPECT_EQ(WimFailureDetail().substr(0, 16), L"wimlib error 43:");
    uint32_t result = 7;
    WimHandle wim = WIMCreateFile(good.c_str(), kRead, WIM_OPEN_EXISTING, 0, WIM_COMPRESS_NONE, &result);
    EXPECT_EQ(WimFailureDetail(), L"");
    EXPECT_EQ(result, WIM_OPENED_EXISTING);
    EXPECT_EQ(WIMGetImageCount(wim), 3u);
    EXPECT_TRUE(WIMCloseHandle(wim));

    EXPECT_FALSE(WIMCloseHandle(wim));
    EXPECT_EQ(LastError(), err::InvalidHandle);
    WimHandle other = Open(good);
    EXPECT_NE(other, wim);
    EXPECT_EQ(WIMGetImageCount(wim), 0u);
    EXPECT_EQ(LastError(), err::InvalidHandle);
    WIMCloseHandle(other);
}

TEST_F(WimgapiTest, AnImageAppliesWithRisingPercentsThatCanAbortItEvenAfterItsFileIsClosed)
{
    WimImage big = ModuleImage("", "big");
    for (int i = 0; i < 20; ++i)
        big.files.emplace_back("f" + std::to_string(i), std::string(100000, static_cast<char>('a' + i)));
    WimHandle wim = Open(MakeWim(Dir() + L"big.wim", {ModuleImage(), big}));
    WimHandle image = WIMLoadImage(wim, 2);
    Messages messages;
    EXPECT_EQ(WIMRegisterMessageCallback(wim, kRecord, &messages), 0u);
    EXPECT_FALSE(WIMApplyImage(image, (Dir() + L"out").c_str(), 0x100));
    EXPECT_EQ(LastError(), err::NotSupported);
    ASSERT_TRUE(WIMApplyImage(image, (Dir() + L"out").c_str(), WIM_FLAG_VERIFY)) << ToUtf8(WimFailureDetail());
    EXPECT_EQ(FilesIn(Dir() + L"out").size(), 22u);
    EXPECT_EQ(ReadFile(Dir() + L"out\\setup.cmd"), "@echo big\r\n");
    const auto& percents = messages.percents;
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents.front(), 0u);
    EXPECT_EQ(percents.back(), 100u);
    EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end(), std::greater_equal<>()), percents.end());

    const std::size_t seen = percents.size();
    EXPECT_TRUE(WIMUnregisterMessageCallback(wim, kRecord));
    EXPECT_FALSE(WIMUnregisterMessageCallback(wim, kRecord));
    Messages aborting{{}, WIM_MSG_ABORT_IMAGE};
    EXPECT_EQ(WIMRegisterMessageCallback(wim, nullptr, nullptr), INVALID_CALLBACK_VALUE);
    WIMRegisterMessageCallback(wim, kRecord, &aborting);
    EXPECT_TRUE(WIMCloseHandle(wim));
    EXPECT_FALSE(WIMApplyImage(image, (Dir() + L"out2").c_str(), 0));
    EXPECT_EQ(LastError(), err::RequestAborted);
    EXPECT_EQ(aborting.percents.size(), 1u);
    EXPECT_EQ(percents.size(), seen);
    EXPECT_TRUE(WIMCloseHandle(image));
}

}  // namespace
}  // namespace quen::test
