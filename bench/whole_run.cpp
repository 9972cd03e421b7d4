// A whole run from a recovery folder: N file-copy modules of one file each,
// staged, installed, recorded in the registry and version-checked, the work
// area removed. Prints the wall time from Install to InstallFinished and to
// the end of the thread, the time `cp -r` takes for the same files, the
// overhead per module beyond copying them twice (into the work area, then to
// the destination), and the process's peak memory.
//
//   whole_run [modules] [file bytes]      (default 500 modules of 1,024 bytes)
//
// Every registry write is on disk when it returns, so every value is on disk
// by InstallFinished. To see whether memory grows with the bytes copied, run
// it twice with the same number of modules and files of different sizes and
// compare the peaks.
#include "BenchSupport.h"

#include <quen/InstallDB.h>
#include <quen/Installer.h>
#include <quen/Machine.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::atomic<bool> g_finished{false};
std::atomic<int> g_status{-1};
Clock::time_point g_finishedAt;

void OnFinished(void* data)
{
    g_finishedAt = Clock::now();
    g_status = static_cast<const InstallFinishedEventData*>(data)->status;
    g_finished = true;
}

CDataTable ModuleRecord(int index)
{
    wchar_t name[16];
    std::swprintf(name, 16, L"M%04d", index);
    CDataTable record(std::wstring(L"modules[") + std::to_wstring(index) + L"]");
    const std::pair<const wchar_t*, std::wstring> fields[] = {
        {IdfFields::PartID_Rel, std::wstring(L"P") + name},
        {IdfFields::InstallerType, L"FILE COPY"},
        {IniFields::ReleaseName, name},
        {IdfFields::ReleaseID_Rel, std::wstring(L"R-") + name},
        {IdfFields::PathToRelease, std::wstring(L"Modules\\") + name},
        {IdfFields::SetupFile, std::wstring(L"C:\\Program Files\\Quen\\") + name},
        {IniFields::VersionPath, std::wstring(L"C:\\Program Files\\Quen\\") + name + L"\\version.txt"},
        {IniFields::VerCheckAfter, L"1.0"},
        {IdfFields::MajorVersion, L"1"},
        {IdfFields::DetailedVersion, L"1.0"},
        {IdfFields::Baseplus, L"false"},
        {IdfFields::Temporary, L"false"},
        {IdfFields::Recoverable, L"yes"},
        {IdfFields::PartType, L"Module"},
        {IdfFields::CustomerLabel, name},
    };
    for (const auto& [field, text] : fields)
        record.SetField(field, text);
    return record;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv)
{
    const int modules = argc > 1 ? std::atoi(argv[1]) : 500;
    const std::uintmax_t bytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;

    bench::TempFolder temp({});
    const fs::path root = temp.Path() / "machine";
    const fs::path source = temp.Path() / "source";
    std::mt19937_64 generator(7);
    for (int i = 0; i < modules; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "M%04d", i);
        const fs::path folder = source / "Modules" / name;
        fs::create_directories(folder);
        bench::WriteFile(folder / "data.bin", bytes, true, generator);
        std::ofstream(folder / "version.txt") << "1.0\r\n";
    }
    quen::SetMachineRoot(root);
    quen::MapDrive(L'S', source);

    // The bytes alone, on the same file system.
    bench::Run("sync");
    const auto copyStart = Clock::now();
    bench::Run("cp -r " + bench::Quoted(source) + " " + bench::Quoted(temp.Path() / "plain-copy"));
    const double copySeconds = Seconds(Clock::now() - copyStart);
    fs::remove_all(temp.Path() / "plain-copy");
    bench::Run("sync");

    CDataTableList list;
    for (int i = 0; i < modules; ++i)
        list.Add(ModuleRecord(i));
    CInstallDB database(L"S:\\image.json", CDataTable(), CDataTable(), CDataTableList(), CDataTableList());
    CInstaller installer(database);
    const std::wstring sourceDir = L"S:\\";
    const std::wstring destination = L"C:\\Program Files\\Quen";
    installer.SetFlags(true, false);
    installer.SetPaths(&sourceDir, &destination, nullptr, nullptr);
    installer.RegisterForInstallFinishedEvent(OnFinished);

    const std::wstring media = L"QRD";
    const auto start = Clock::now();
    if (!installer.Install(&media, CDataTableList(), list)) {
        std::fprintf(stderr, "the run did not start\n");
        return 1;
    }
    installer.Wait();
    const auto end = Clock::now();
    if (!g_finished || g_status != CInstaller::eStatusCompleted) {
        std::fprintf(stderr, "the run did not complete (status %d)\n", g_status.load());
        return 1;
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double toFinished = Seconds(g_finishedAt - start);
    std::printf("modules %d, file bytes %ju, total %.1f MB\n", modules, bytes,
                static_cast<double>(bytes) * modules / 1e6);
    std::printf("Install to InstallFinished: %.3f s, to the end of the thread: %.3f s\n", toFinished,
                Seconds(end - start));
    // A run copies every file twice: into the work area, then to its destination.
    std::printf("cp -r of the same files: %.3f s (a run copies them twice)\n", copySeconds);
    std::printf("overhead per module beyond the two copies: %.2f ms\n",
                (toFinished - 2 * copySeconds) * 1000.0 / modules);
    std::printf("peak memory (max RSS): %ld KiB\n", usage.ru_maxrss);
    return 0;
}
