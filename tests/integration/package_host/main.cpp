// Uses the exported API as a host would: machine, logging, files, the install
// database, the installer's configuration and the version check.
#include <quen/Exceptions.h>
#include <quen/InstallDB.h>
#include <quen/Installer.h>
#include <quen/Logging.h>
#include <quen/Machine.h>
#include <quen/OsServices.h>
#include <quen/VerifyVersion.h>

#include <cstdio>
#include <fstream>
#include <memory>

static int Fail(const char* what)
{
    std::fprintf(stderr, "package host: %s\n", what);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: package_host <machine root>\n");
        return 2;
    }
    quen::SetMachineRoot(argv[1]);
    CLoggingFactory::AddSink(std::make_shared<CMemoryLogSink>());

    const std::wstring image = COsServices::GetTempFolder() + L"PackageHost\\";
    if (!CDirectory::EnsureEmptyDirExists(image))
        return Fail("could not create the image folder");
    std::ofstream(quen::HostPath(image + L"image.json"))
        << R"({"image": {"WaitForSetupDelay": "30"},
              "foundationImage": {"BLID": "FI01", "PathToRelease": "FI"},
              "applications": [{"CustomerLabel": "Viewer", "PartType": "Application"}],
              "modules": []})";
    std::ofstream(quen::HostPath(image + L"version.txt")) << "Release 2.1\n";
    try {
        CInstallDB db(image + L"image.json");
        if (db.Applications().Size() != 1 || db.FoundationImage()[IdfFields::BLID] != L"FI01")
            return Fail("database content");
        CInstaller installer(db);
        const std::wstring source = image, destination = L"C:\\";
        installer.SetFlags(true, false);
        installer.SetPaths(&source, &destination, nullptr, nullptr);
    } catch (const EBaseException& e) {
        std::fprintf(stderr, "%ls\n", e.GetText().c_str());
        return Fail("exception");
    }
    std::wstring found;
    if (VerifyVersion((image + L"version.txt").c_str(), L"release 2.1", found) != eVersionPresent)
        return Fail("version check");
    try {
        CInstallDB missing(image + L"missing.json");
        return Fail("a missing database opened");
    } catch (const EFileException&) {
    }
    std::puts("package host: ok");
    return 0;
}
