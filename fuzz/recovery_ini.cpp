// The recovery-media description: any bytes (UTF-8, or UTF-16LE with its
// byte-order mark). The reader throws EDataException for what it cannot parse.
#include <quen/Exceptions.h>
#include <quen/InstallDB.h>

#include "support/FuzzInput.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // The file is the input; a path to look up, its first bytes.
    const std::wstring wanted = quen::fuzz::WideText(data, std::min<std::size_t>(size, 8));
    const std::wstring path = quen::fuzz::WriteInput(data, size, L"qenhdrcv.ini");
    CQuenHDRecoveryIni ini;
    try {
        ini.Open(path);
    } catch (const EBaseException&) {
        return 0;
    }
    std::vector<int> discs;
    for (const wchar_t* media : {L"CD", L"DVD", L"HD"}) {
        ini.MediaTypeContains(media, L"Modules\\App", &discs, true);
        ini.MediaTypeContains(media, wanted, &discs, false);
        for (int disc : discs)
            quen::fuzz::Require(disc > 0, "disc numbers count from 1");
    }
    return 0;
}
