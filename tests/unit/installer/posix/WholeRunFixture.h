// What the whole-run tests share: a machine with a recovery folder or three
// recovery discs holding real WIM packages, records of every kind of module,
// and a host that answers the run's disc requests.
#pragma once

#include "../../module/ModuleFixture.h"
#include "fakes/RunHost.h"
#include "fakes/posix/WimBuilder.h"
#include "foundation/WideString.h"

#include <quen/Machine.h>
#include <quen/OsServices.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quen::test {

// Writes "ran" beside itself, then exits with its first argument (0 without).
inline constexpr char kSetup[] = "#!/bin/sh\necho ran > ran.txt\nexit ${1:-0}\n";

class WholeRun : public ModuleFixture {
protected:
    // The FI record: its package is FI\QUENFI0001.app.
    static CDataTable FI()
    {
        CDataTable fi(L"foundationImage of image.json");
        fi.SetField(IdfFields::CustomerLabel, L"Foundation");
        fi.SetField(IdfFields::PathToRelease, L"FI");
        fi.SetField(IdfFields::BLID, L"QUENFI0001-X");
        return fi;
    }

    // The application-and-driver package: a camera application whose setup
    // succeeds, a reader whose setup exits 3, and a network driver.
    void WriteFIPackage(const std::wstring& folder) const
    {
        WimImage image;
        image.files = {{"Apps/Camera/setup.sh", kSetup},
                       {"Apps/Reader/setup.sh", "#!/bin/sh\nexit 3\n"},
                       {"Drivers/Net/net.inf", "[Version]\r\n"}};
        std::filesystem::create_directories(Host(folder));
        WriteWim(Host(folder + L"\\QUENFI0001.app"), {image});
    }

    // A module package of release R-1.
    void WriteModulePackage(const std::wstring& folder) const
    {
        WimImage image;
        image.files = {{"setup.sh", kSetup}, {"payload.txt", "payload"}};
        image.properties = {{"RELEASEID", "R-1"}};
        std::filesystem::create_directories(Host(folder));
        WriteWim(Host(folder + L"\\pack.mod"), {image});
    }

    // A packaged module, application or driver whose setup is setup.sh.
    static CDataTable App(const std::wstring& label, const std::wstring& release, const std::wstring& type)
    {
        CDataTable record = Record(label, release, type);
        record.SetField(IdfFields::InstallerType, type == L"Driver" ? L"INF" : L"EXE/BATCH");
        record.SetField(IdfFields::SetupFile, L"setup.sh");
        return record;
    }

    CDataTable CopyModule(const std::wstring& label, const std::wstring& release) const
    {
        CDataTable record = Record(label, release);
        record.SetField(IdfFields::SetupFile, Dir() + L"Target\\" + label);
        return record;
    }

    // Runs to the end of the thread on `installer` with media type "QRD".
    static void RunToEnd(CInstaller& installer, const CDataTableList& apps, const CDataTableList& modules)
    {
        const std::wstring media = L"QRD";
        ASSERT_TRUE(installer.Install(&media, apps, modules));
        installer.Wait();
    }

    // "progress 1", "progress 2", a chunk of 98 / (chunks + 1) for each
    // staged entry and installed module, then 100.
    static std::vector<std::wstring> Progress(int chunks)
    {
        std::vector<std::wstring> lines{L"progress 1", L"progress 2"};
        for (int i = 1; i <= chunks; ++i)
            lines.push_back(quen::Format(L"progress %g", 2.0 + i * 98.0 / (chunks + 1)));
        lines.push_back(L"progress 100");
        return lines;
    }

    bool WorkAreaExists() const { return std::filesystem::exists(Host(WorkRoot())); }

    // The recovery folder of the folder runs.
    std::wstring Source() const { return Dir() + L"Recovery"; }

    // An installer reading from `source` into <scratch>\Target, over a
    // database in `data` with FI() as its foundation image.
    std::unique_ptr<CInstaller> NewInstaller(const std::wstring& data, std::wstring source, bool hardDisk)
    {
        m_dbs.push_back(std::make_unique<CInstallDB>(data + L"\\image.json", CDataTable(), FI(), CDataTableList(),
                                                     CDataTableList()));
        auto installer = std::make_unique<CInstaller>(*m_dbs.back());
        const std::wstring destination = Dir() + L"Target";
        installer->SetFlags(hardDisk, false);
        installer->SetPaths(&source, &destination, nullptr, nullptr);
        return installer;
    }
    std::unique_ptr<CInstaller> FolderInstaller() { return NewInstaller(Source(), Source(), true); }

    std::vector<std::unique_ptr<CInstallDB>> m_dbs;
};

class DiscRun : public WholeRun {
protected:
    void SetUp() override
    {
        WholeRun::SetUp();
        for (int disc = 1; disc <= 3; ++disc)
            WriteFile(Disc(disc) + L"\\QRD" + std::to_wstring(disc), "");
        WriteFIPackage(Disc(1) + L"\\FI");
        WriteFile(Disc(1) + L"\\Modules\\Tool\\tool.txt", "tool");
        WriteFile(Disc(2) + L"\\Modules\\Split\\Part1\\a.txt", "a");
        WriteModulePackage(Disc(2) + L"\\Modules\\Pack");
        WriteFile(Disc(3) + L"\\Modules\\Split\\Part2\\b.txt", "b");
        WriteFile(Dir() + L"Data\\qenhdrcv.ini",
                  "[QRD]\r\nDisc1=FI;Modules\\Tool\r\nDisc2=Modules\\Split\\Part1;Modules\\Pack\r\n"
                  "Disc3=Modules\\Split\\Part2\r\n");
        m_apps.Add(App(L"Camera", L"Apps\\Camera", L"Application"));
        m_modules.Add(CopyModule(L"Split", L"Modules\\Split"));
        m_modules.Add(App(L"Pack", L"Modules\\Pack", L"Module"));
        m_modules.Add(CopyModule(L"Tool", L"Modules\\Tool"));
        Insert(1);
    }

    std::wstring Disc(int disc) const { return Dir() + L"Disc" + std::to_wstring(disc); }
    // The drive shows disc `disc`.
    void Insert(int disc) const { quen::MapDrive(L'E', Host(Disc(disc))); }

    // An installer reading discs from E:, with the database beside the
    // recovery-media description.
    std::unique_ptr<CInstaller> DiscInstaller() { return NewInstaller(Dir() + L"Data", L"E:\\", false); }

    // The host puts in the disc it is asked for.
    void AnswerEveryRequest(RunHost& host) const
    {
        host.mediaAnswer = [this](int index) {
            Insert(index + 1);
            return true;
        };
    }

    CDataTableList m_apps;
    CDataTableList m_modules;
};

}  // namespace quen::test
