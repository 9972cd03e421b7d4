// What the disc, copy-list and staging tests share: an installer with a
// foundation image, module installers for records, a source folder that
// stands for a recovery folder or the disc drive, and a host that changes
// the disc in that drive when asked.
#pragma once

#include "installer/CopyList.h"
#include "installer/RunSteps.h"
#include "unit/module/ModuleFixture.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quen::test {

class RunFixture : public ModuleFixture {
protected:
    using Run = quen::detail::RunSteps;

    void SetUp() override
    {
        ModuleFixture::SetUp();
        s_current = this;
    }
    void TearDown() override
    {
        m_run.reset();
        s_current = nullptr;
        ModuleFixture::TearDown();
    }

    static CDataTable FIRecord(const std::wstring& release = L"FI\\Apps", const std::wstring& blid = L"ABCDEFGHIJKL")
    {
        CDataTable fi(L"foundationImage of image.json");
        fi.SetField(IdfFields::CustomerLabel, L"Foundation");
        fi.SetField(IdfFields::PathToRelease, release);
        fi.SetField(IdfFields::BLID, blid);
        fi.SetField(IdfFields::OS, L"Windows 11");
        return fi;
    }

    // A new installer reading from Drive() with media type "QRD", its
    // database in <scratch>\Recovery\Data\ with `fi` as its foundation image.
    CInstaller& NewRun(bool hardDiskSource, CDataTable fi = FIRecord())
    {
        m_run.reset();
        m_runDb = std::make_unique<CInstallDB>(Dir() + L"Recovery\\Data\\image.json", CDataTable(), std::move(fi),
                                               CDataTableList(), CDataTableList());
        m_run = std::make_unique<CInstaller>(*m_runDb);
        const std::wstring source = Drive();
        m_run->SetFlags(hardDiskSource, false);
        m_run->SetPaths(&source, nullptr, nullptr, nullptr);
        std::filesystem::create_directories(Host(source));
        Run::Prepare(*m_run, L"QRD");
        m_run->RegisterForRecoveryMediaRequiredEvent(OnMediaRequired);
        m_run->RegisterForInstallFinishedEvent(OnFinished);
        m_run->RegisterForProgressEvent(OnProgress);
        return *m_run;
    }

    // A module installer of the run over a file-copy module record; an
    // application makes the run stage the FI's package.
    CModuleInstaller& AddModule(const std::wstring& label, const std::wstring& releasePath)
    {
        return Add(Record(label, releasePath), false);
    }
    void AddApplication() { Add(Record(L"App", L"Apps\\App", L"Application"), true); }

    std::wstring Drive() const { return Dir() + L"Drive"; }
    std::wstring DiscFolder(int disc) const { return Dir() + L"Disc" + std::to_wstring(disc); }
    std::wstring Installs() const { return Folders(*m_run).InstallsDir(); }

    // Puts disc `disc` in the drive: what DiscFolder holds, and its marker.
    void Insert(int disc) const
    {
        namespace fs = std::filesystem;
        fs::remove_all(Host(Drive()));
        fs::create_directories(Host(DiscFolder(disc)));
        fs::copy(Host(DiscFolder(disc)), Host(Drive()), fs::copy_options::recursive);
        WriteFile(Drive() + L"\\QRD" + std::to_wstring(disc), "");
    }

    // The host: given the request's index, the disc it puts in, or 0 to
    // decline. It puts in the one asked for unless a test says otherwise.
    std::function<int(int index)> m_host = [](int index) { return index + 1; };
    std::vector<int> m_requests;
    std::vector<InstallFinishedEventData> m_finished;
    int m_progressEvents = 0;

    std::unique_ptr<CInstallDB> m_runDb;
    std::unique_ptr<CInstaller> m_run;

private:
    CModuleInstaller& Add(CDataTable record, bool application)
    {
        m_records.push_back(std::make_unique<CDataTable>(std::move(record)));
        return Run::AddModule(*m_run, m_records.back().get(), application);
    }

    static void OnMediaRequired(int index, bool* answer)
    {
        s_current->m_requests.push_back(index);
        const int disc = s_current->m_host(index);
        if (disc > 0) {
            s_current->Insert(disc);
            *answer = true;
        }
    }
    static void OnFinished(void* data)
    {
        s_current->m_finished.push_back(*static_cast<InstallFinishedEventData*>(data));
    }
    static void OnProgress(void*) { ++s_current->m_progressEvents; }

    static inline RunFixture* s_current = nullptr;
    std::vector<std::unique_ptr<CDataTable>> m_records;
};

}  // namespace quen::test
