// The record-path check: any piece. A piece it accepts, joined to a folder,
// names something below that folder; one it refuses throws ELibraryException.
#include <quen/Exceptions.h>

#include "module/RecordPath.h"
#include "platform/Paths.h"

#include "support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::wstring piece = quen::fuzz::WideText(data, size);
    const bool safe = quen::IsSafeRecordPath(piece);
    bool thrown = false;
    try {
        quen::CheckRecordPath(piece, L"PathToRelease", L"modules[0]", L".\\ModuleInstaller", __LINE__);
    } catch (const ELibraryException&) {
        thrown = true;
    }
    quen::fuzz::Require(thrown == !safe, "the check throws exactly for the pieces it refuses");
    if (!safe)
        return 0;
    const std::wstring base = L"C:\\Base\\";
    std::wstring full;
    if (quen::platform::FullPath(base + piece, full))
        quen::fuzz::Require(full.size() > base.size() && full.starts_with(base),
                            "an accepted piece names something below its folder");
    return 0;
}
