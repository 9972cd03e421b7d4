// Uses the exported API as a host would: machine, logging, files, exceptions.
#include <quen/Exceptions.h>
#include <quen/Logging.h>
#include <quen/Machine.h>
#include <quen/OsServices.h>

#include <cstdio>
#include <filesystem>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: package_host <machine root>\n");
        return 2;
    }
    quen::SetMachineRoot(argv[1]);
    auto log = std::make_shared<CMemoryLogSink>();
    CLoggingFactory::AddSink(log);
    quen::Log(eLogInfo) << L"host started";

    const std::wstring folder = COsServices::GetTempFolder() + L"PackageHost\\";
    if (!CDirectory::EnsureEmptyDirExists(folder) || !std::filesystem::is_directory(quen::HostPath(folder))) {
        std::fprintf(stderr, "could not create the folder\n");
        return 1;
    }
    try {
        throw EFileException(L"x", L".\\Host", 1, EFileException::NotFound, folder);
    } catch (const ELibraryException& e) {
        if (e.GetText().find(L"doesn't exist in directory") == std::wstring::npos)
            return 1;
    }
    if (log->Texts().size() != 1)
        return 1;
    std::puts("package host: ok");
    return 0;
}
