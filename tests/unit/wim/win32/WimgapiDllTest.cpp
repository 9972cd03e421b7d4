// CWIMFile's Windows path over the tests' wimgapi.dll (stand-in archives,
// see tests/fakes/win32/test-wimgapi): the arguments of every call, the
// system's errors, and wimgapi.dll taken from the system folder alone.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/Thrown.h"
#include "foundation/WideString.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Process.h"

#include <algorithm>

namespace quen::test {
namespace {

constexpr wchar_t kCallsVariable[] = L"QUEN_TEST_WIMGAPI_CALLS";

uint32_t CountMessages(uint32_t, uintptr_t, intptr_t, void* count)
{
    ++*static_cast<int*>(count);
    return 0;
}

class WimgapiDllTest : public TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_work = Dir() + L"WIMs\\";
        m_temp = Dir() + L"Temp\\";
        CDirectory::Create(m_work);
        CDirectory::Create(m_temp);
        platform::SetEnvVar(kCallsVariable, Dir() + L"calls.txt");
    }
    void TearDown() override
    {
        platform::SetEnvVar(kCallsVariable, L"");
        TestMachine::TearDown();
    }

    // A stand-in archive: image 1 a setup program and a data file, image 2 one file.
    std::wstring Archive(const std::wstring& name, const std::string& body = "1|setup.cmd|@echo setup\n"
                                                                             "1|data/a.txt|a\n"
                                                                             "2|other.txt|two\n")
    {
        WriteFile(Dir() + name, std::string("MSWIM\0\0\0", 8) + std::string(8, '\x01') + body);
        return Dir() + name;
    }

    // The calls the DLL took, one line each.
    std::string Calls() const { return ReadFile(Dir() + L"calls.txt"); }

    // What the copy of this program at `copy` writes for `action` over `input`.
    std::vector<std::wstring> RunCopy(const std::wstring& copy, const std::wstring& action, const std::wstring& input)
    {
        if (!CFilename::Exists(copy))
            std::filesystem::copy_file(platform::RunningProgramPath(), Host(copy));
        const std::wstring outcome = copy + L"." + action;
        platform::ProgramResult result;
        EXPECT_TRUE(platform::RunProgram(
            copy, L"--quen-child " + action + L" \"" + outcome + L"\" \"" + input + L"\"", false, {}, result));
        EXPECT_EQ(result.exitCode, 0u);
        return ReadChildOutput(Host(outcome));
    }

    std::wstring m_work;
    std::wstring m_temp;
};

// A scrambled archive, so that the calls go to its working copy.
TEST_F(WimgapiDllTest, ExtractAndMountPassTheirArgumentsAndCloseUnmountsWithoutCommittingAndDeletesTheCopy)
{
    std::string bytes = ReadFile(Archive(L"app.wim"));
    for (std::size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ "Amber Lighthouse"[i]);
    WriteFile(Dir() + L"app.wim", bytes);
    const std::wstring target = Dir() + L"Extracted";
    const std::wstring mount = Dir() + L"mount";
    WriteFile(target + L"\\stale.txt", "old");
    WriteFile(mount + L"\\old.txt", "old");
    int messages = 0;
    {
        CWIMFile wim((Dir() + L"app.wim").c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_TRUE(wim.RegisterMessageCallback(
            reinterpret_cast<CWIMFile::MessageCallback>(reinterpret_cast<void (*)()>(&CountMessages)), &messages));
        wim.ExtractImage(target.c_str(), 1);
        wim.MountImage(mount.c_str(), 2);
        EXPECT_EQ(ReadFile(mount + L"\\other.txt"), "two");
        EXPECT_FALSE(CFilename::Exists(mount + L"\\old.txt"));
    }
    EXPECT_EQ(messages, 2);  // one per file
    EXPECT_EQ(ReadFile(target + L"\\setup.cmd"), "@echo setup");
    EXPECT_EQ(ReadFile(target + L"\\data\\a.txt"), "a");
    EXPECT_FALSE(CFilename::Exists(target + L"\\stale.txt"));
    EXPECT_FALSE(CFilename::Exists(target + L"\\other.txt"));
    EXPECT_FALSE(CFilename::Exists(mount + L"\\other.txt"));
    EXPECT_FALSE(CFilename::Exists(m_work + L"app.wim"));
    EXPECT_EQ(ReadFile(Dir() + L"app.wim"), bytes);
    const std::string file = ToUtf8(m_work) + "app.wim ";
    const std::string temp = ToUtf8(m_temp);
    EXPECT_EQ(Calls(), "WIMCreateFile " + file + "0xA0000000 3 0x00000002 0\nWIMRegisterMessageCallback\n"
                       "WIMSetTemporaryPath " + temp + "\nWIMLoadImage 1\nWIMApplyImage " + ToUtf8(target) +
                       " 0x00000000\nWIMSetTemporaryPath " + temp + "\nWIMMountImage " + ToUtf8(mount) + " " + file +
                       "2 " + temp + "\nWIMUnmountImage " + ToUtf8(mount) + " " + file +
                       "2 0\nWIMCloseHandle image 1\nWIMCloseHandle file 0\n");
}

TEST_F(WimgapiDllTest, ImagesAndTheirInformationComeFromTheDllAndFailuresCarryTheSystemsErrorText)
{
    const std::wstring bad = Archive(L"bad.wim", "no separators here\n");
    EXPECT_EQ(ThrownMessage<EFileException>([&] { CWIMFile wim(bad.c_str(), m_work.c_str(), m_temp.c_str()); }),
              GetErrorText(platform::err::BadFormat));

    CWIMFile wim(Archive(L"app.wim").c_str(), m_work.c_str(), m_temp.c_str());
    EXPECT_EQ(wim.GetImageCount(), 2u);
    std::wstring information;
    ASSERT_TRUE(wim.LoadImageW(2).GetImageInformation(information));
    EXPECT_EQ(information, L"\xFEFF<WIM><IMAGE INDEX=\"2\"></IMAGE></WIM>");
    EXPECT_THROW(wim.LoadImageW(3), EFileException);
    EXPECT_EQ(ThrownMessage<ELibraryException>([&] { wim.MountImage((Dir() + L"mount").c_str(), 3); }),
              L"Unable to mount image " + GetErrorText(platform::err::InvalidParameter) + L".");
    EXPECT_THROW(wim.RegisterMessageCallback(nullptr, nullptr), EFileException);
}

// The program's folder comes first in the usual DLL search: a file planted
// there would fail every open if it were loaded. Wine reads a program's load
// order from its registry key by name when it starts: copies named for it
// find no wimgapi.dll, or Wine's stub, and say so, as a plan does.
TEST_F(WimgapiDllTest, OnlyTheSystemFoldersWimgapiIsLoadedAndWithoutAUsableOneEveryOpenFailsNamingIt)
{
    const std::wstring archive = Archive(L"app.wim");
    WriteFile(Dir() + L"planted\\wimgapi.dll", "not a DLL");
    EXPECT_EQ(RunCopy(Dir() + L"planted\\quen.exe", L"wim-open", archive),
              (std::vector<std::wstring>{L"opened", L"opened"}));

    for (const std::wstring order : {L"none", L"builtin"}) {
        platform::ProgramResult result;
        EXPECT_TRUE(platform::RunProgram(COsServices::GetWindowsDirectoryW() + L"\\system32\\reg.exe",
                                         L"add HKCU\\Software\\Wine\\AppDefaults\\quen-wimgapi-" + order +
                                             L".exe\\DllOverrides /v wimgapi /d \"" +
                                             (order == L"none" ? L"" : order) + L"\" /f",
                                         false, {}, result));
        EXPECT_EQ(result.exitCode, 0u);
    }
    const std::wstring notLoaded =
        L"wimgapi.dll could not be loaded from the system folder: " + GetErrorText(platform::err::ModNotFound);
    const std::wstring none = Dir() + L"quen-wimgapi-none.exe";
    EXPECT_EQ(RunCopy(none, L"wim-open", archive), (std::vector<std::wstring>{notLoaded, notLoaded}));
    const std::wstring stub =
        L"wimgapi.dll does not implement WIMCreateFile: " + GetErrorText(platform::err::CallNotImplemented);
    EXPECT_EQ(RunCopy(Dir() + L"quen-wimgapi-builtin.exe", L"wim-open", archive),
              (std::vector<std::wstring>{stub, stub}));

    WriteFile(Dir() + L"image.json", R"({"image": {}, "foundationImage": {"BLID": "FI01", "CustomerLabel": "Base",
                                          "PathToRelease": "FI"}, "applications": [], "modules": []})");
    const std::vector<std::wstring> problems = RunCopy(none, L"plan", Dir() + L"image.json");
    EXPECT_NE(std::find(problems.begin(), problems.end(), L"Base: " + notLoaded), problems.end());
}

}  // namespace
}  // namespace quen::test
