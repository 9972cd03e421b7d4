// Destination and version paths as records write them: any text, with the
// program-files tokens, environment variables and quotes expanded.
#include <quen/ModuleInstaller.h>

#include "support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    quen::fuzz::MachineRoot();
    const std::wstring expanded = CModuleInstaller::ExpandVersionPath(quen::fuzz::WideText(data, size), L"C:\\Target");
    (void)expanded;
    return 0;
}
