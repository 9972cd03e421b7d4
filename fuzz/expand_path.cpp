// Destination and version paths as records write them: any text, with the
// program-files tokens, environment variables and quotes expanded.
#include <quen/Installer.h>
#include <quen/ModuleInstaller.h>

#include "support/FuzzInput.h"

// The one private operation this program reaches.
struct CModuleInstallerTestPeer {
    static std::wstring ExpandPath(const CModuleInstaller& m, const std::wstring& p) { return m.ExpandPath(p); }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    quen::fuzz::MachineRoot();
    static CInstallDB database(L"C:\\Image\\image.json", CDataTable(), CDataTable(), CDataTableList(),
                               CDataTableList());
    static CInstaller installer(database);
    static const bool configured = [] {
        const std::wstring source = L"C:\\Source", destination = L"C:\\Target";
        installer.SetFlags(true, false);
        installer.SetPaths(&source, &destination, nullptr, nullptr);
        return true;
    }();
    (void)configured;
    CDataTable record(L"modules[0] of C:\\Image\\image.json");
    CModuleInstaller module(&record, &installer);
    const std::wstring expanded = CModuleInstallerTestPeer::ExpandPath(module, quen::fuzz::WideText(data, size));
    (void)expanded;
    return 0;
}
