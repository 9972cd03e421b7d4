// CWIMFile's Windows path over the tests' wimgapi.dll (stand-in archives,
// see tests/fakes/win32/test-wimgapi): the DLL is loaded, every call gets the
// arguments it must, the system's errors reach the exceptions, and the
// working copy of a scrambled file is opened and then deleted. The DLL comes
// from the system folder alone; without a usable one there, opening fails
// with a message that names it, and a plan lists it as a problem.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/TestMachine.h"
#include "fakes/Thrown.h"
#include "foundation/WideString.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Process.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace quen::test {
namespace {

constexpr wchar_t kCallsVariable[] = L"QUEN_TEST_WIMGAPI_CALLS";
constexpr char kKey[] = "Amber Lighthouse";

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

    std::vector<std::string> Calls() const
    {
        std::istringstream text(ReadFile(Dir() + L"calls.txt"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

    // What each of two opens of an archive reported in a copy of this program
    // that has `dll` beside it as wimgapi.dll (a process loads the DLL only once).
    std::vector<std::wstring> OpenTwiceBesideDll(const std::wstring& folder, const std::string& dll)
    {
        const std::filesystem::path self = platform::RunningProgramPath();
        const std::wstring child = Dir() + folder + L"\\" + PathText(self.filename());
        const std::wstring outcome = Dir() + folder + L"\\outcome";
        WriteFile(Dir() + folder + L"\\wimgapi.dll", dll);
        std::filesystem::copy_file(self, Host(child));
        return RunChild(child, L"wim-open", outcome, Archive(L"app.wim"));
    }

    // What a copy of this program writes for `action` over `input` when Wine
    // gives it wimgapi.dll by the load order `order` ("" none, "builtin" Wine's
    // stub). Wine reads a program's load order from its registry key by name
    // when the program starts; only these copies bear the names.
    std::vector<std::wstring> ChildWithWimgapi(const std::wstring& order, const std::wstring& action,
                                               const std::wstring& input)
    {
        const std::wstring name = L"quen-wimgapi-" + (order.empty() ? std::wstring(L"none") : order) + L".exe";
        platform::ProgramResult result;
        EXPECT_TRUE(platform::RunProgram(COsServices::GetWindowsDirectoryW() + L"\\system32\\reg.exe",
                                         L"add HKCU\\Software\\Wine\\AppDefaults\\" + name +
                                             L"\\DllOverrides /v wimgapi /d \"" + order + L"\" /f",
                                         false, {}, result));
        EXPECT_EQ(result.exitCode, 0u);
        const std::wstring child = Dir() + name;
        if (!CFilename::Exists(child))
            std::filesystem::copy_file(platform::RunningProgramPath(), Host(child));
        return RunChild(child, action, Dir() + action + L"-" + name + L".out", input);
    }

    std::vector<std::wstring> RunChild(const std::wstring& program, const std::wstring& action,
                                       const std::wstring& outcome, const std::wstring& input) const
    {
        platform::ProgramResult result;
        EXPECT_TRUE(platform::RunProgram(
            program, L"--quen-child " + action + L" \"" + outcome + L"\" \"" + input + L"\"", false, {}, result));
        EXPECT_EQ(result.exitCode, 0u);
        return ReadChildOutput(Host(outcome));
    }

    static std::string U8(const std::wstring& text) { return ToUtf8(text); }

    std::wstring m_work;
    std::wstring m_temp;
};

TEST_F(WimgapiDllTest, ExtractImageOpensForReadAndMountWithVerifyAndAppliesWithFlagsZero)
{
    const std::wstring path = Archive(L"app.wim");
    const std::wstring target = Dir() + L"Extracted";
    WriteFile(target + L"\\stale.txt", "old");
    int messages = 0;
    {
        CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_TRUE(wim.RegisterMessageCallback(
            reinterpret_cast<CWIMFile::MessageCallback>(reinterpret_cast<void (*)()>(&CountMessages)), &messages));
        wim.ExtractImage(target.c_str(), 1);
    }
    EXPECT_EQ(messages, 2);  // one per file
    EXPECT_EQ(ReadFile(target + L"\\setup.cmd"), "@echo setup");
    EXPECT_EQ(ReadFile(target + L"\\data\\a.txt"), "a");
    EXPECT_FALSE(CFilename::Exists(target + L"\\stale.txt"));
    EXPECT_FALSE(CFilename::Exists(target + L"\\other.txt"));
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "WIMCreateFile " + U8(path) + " 0xA0000000 3 0x00000002 0",
                           "WIMRegisterMessageCallback",
                           "WIMSetTemporaryPath " + U8(m_temp),
                           "WIMLoadImage 1",
                           "WIMApplyImage " + U8(target) + " 0x00000000",
                           "WIMCloseHandle image 1",
                           "WIMCloseHandle file 0",
                       }));
}

TEST_F(WimgapiDllTest, AScrambledFileIsOpenedAsAWorkingCopyThatCloseDeletes)
{
    std::string bytes = ReadFile(Archive(L"app.wim"));
    for (std::size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ kKey[i]);
    WriteFile(Dir() + L"app.wim", bytes);
    {
        CWIMFile wim((Dir() + L"app.wim").c_str(), m_work.c_str(), m_temp.c_str());
        EXPECT_TRUE(wim.IsEncrypted());
        // Emptying a folder that holds the package or its working copy would delete it.
        EXPECT_THROW(wim.ExtractImage(m_work.c_str(), 2), ELibraryException);
        EXPECT_THROW(wim.MountImage(Dir().c_str(), 2), ELibraryException);
        wim.ExtractImage((Dir() + L"out").c_str(), 2);
        EXPECT_TRUE(CFilename::Exists(m_work + L"app.wim"));
    }
    EXPECT_EQ(ReadFile(Dir() + L"out\\other.txt"), "two");
    EXPECT_EQ(Calls().front(), "WIMCreateFile " + U8(m_work) + "app.wim 0xA0000000 3 0x00000002 0");
    EXPECT_FALSE(CFilename::Exists(m_work + L"app.wim"));
    EXPECT_EQ(ReadFile(Dir() + L"app.wim"), bytes);
}

TEST_F(WimgapiDllTest, FailuresCarryTheSystemsErrorText)
{
    const std::wstring bad = Archive(L"bad.wim", "no separators here\n");
    const auto open = Thrown<EFileException>([&] { CWIMFile wim(bad.c_str(), m_work.c_str(), m_temp.c_str()); });
    ASSERT_TRUE(open);
    EXPECT_EQ(open->Kind(), EFileException::OpenFailed);
    EXPECT_EQ(open->Message(), GetErrorText(platform::err::BadFormat));

    CWIMFile wim(Archive(L"app.wim").c_str(), m_work.c_str(), m_temp.c_str());
    EXPECT_EQ(wim.GetImageCount(), 2u);
    const auto load = Thrown<EFileException>([&] { wim.LoadImageW(3); });
    ASSERT_TRUE(load);
    EXPECT_EQ(load->Kind(), EFileException::ImageApiFailed);
    EXPECT_EQ(ThrownMessage<ELibraryException>([&] { wim.MountImage((Dir() + L"mount").c_str(), 3); }),
              L"Unable to mount image " + GetErrorText(platform::err::InvalidParameter) + L".");
    EXPECT_THROW(wim.RegisterMessageCallback(nullptr, nullptr), EFileException);
}

TEST_F(WimgapiDllTest, AWimgapiDllBesideTheProgramIsNotLoaded)
{
    // The program's folder comes first in the usual DLL search: a planted
    // file there would fail every open if it were loaded.
    EXPECT_EQ(OpenTwiceBesideDll(L"planted", "not a DLL"), (std::vector<std::wstring>{L"opened", L"opened"}));
}

TEST_F(WimgapiDllTest, WithoutAUsableSystemWimgapiEveryOpenFailsNamingItAndAPlanSaysSo)
{
    const std::wstring archive = Archive(L"app.wim");
    const std::wstring notLoaded =
        L"wimgapi.dll could not be loaded from the system folder: " + GetErrorText(platform::err::ModNotFound);
    EXPECT_EQ(ChildWithWimgapi(L"", L"wim-open", archive), (std::vector<std::wstring>{notLoaded, notLoaded}));

    const std::wstring stub = L"wimgapi.dll does not implement WIMCreateFile: " +
                              GetErrorText(platform::err::CallNotImplemented);
    EXPECT_EQ(ChildWithWimgapi(L"builtin", L"wim-open", archive), (std::vector<std::wstring>{stub, stub}));

    WriteFile(Dir() + L"image.json", R"({"image": {}, "foundationImage": {"BLID": "FI01", "CustomerLabel": "Base",
                                          "PathToRelease": "FI"}, "applications": [], "modules": []})");
    const std::vector<std::wstring> problems = ChildWithWimgapi(L"", L"plan", Dir() + L"image.json");
    EXPECT_NE(std::find(problems.begin(), problems.end(), L"Base: " + notLoaded), problems.end());
}

TEST_F(WimgapiDllTest, AMountReplacesTheFolderAndCloseUnmountsWithoutCommitting)
{
    const std::wstring path = Archive(L"app.wim");
    const std::wstring mount = Dir() + L"mount";
    WriteFile(mount + L"\\old.txt", "old");
    {
        CWIMFile wim(path.c_str(), m_work.c_str(), m_temp.c_str());
        wim.MountImage(mount.c_str(), 2);
        EXPECT_EQ(ReadFile(mount + L"\\other.txt"), "two");
        EXPECT_FALSE(CFilename::Exists(mount + L"\\old.txt"));
    }
    const std::vector<std::string> calls = Calls();
    EXPECT_EQ(calls[2], "WIMMountImage " + U8(mount) + " " + U8(path) + " 2 " + U8(m_temp));
    EXPECT_EQ(calls[3], "WIMUnmountImage " + U8(mount) + " " + U8(path) + " 2 0");
    EXPECT_FALSE(CFilename::Exists(mount + L"\\other.txt"));
}

TEST_F(WimgapiDllTest, ImageInformationComesFromTheDll)
{
    CWIMFile wim(Archive(L"app.wim").c_str(), m_work.c_str(), m_temp.c_str());
    std::wstring information;
    ASSERT_TRUE(wim.LoadImageW(2).GetImageInformation(information));
    EXPECT_EQ(information, L"\xFEFF<WIM><IMAGE INDEX=\"2\"></IMAGE></WIM>");
}

}  // namespace
}  // namespace quen::test
