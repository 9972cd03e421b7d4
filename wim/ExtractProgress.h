// An extraction's percent messages turned into bytes for the thread's
// watcher, when it has one.
#pragma once

#include "platform/Wimgapi.h"

#include <cstdint>
#include <string>

namespace quen::wim {

class ExtractProgress {
public:
    // Watches operations on `file` for the image whose XML description is
    // `imageXml`: its TOTALBYTES, or the package's size (`packageSize`)
    // when it gives none, is the step's size. Does nothing without a watcher.
    ExtractProgress(platform::WimHandle file, const std::wstring& item, const std::wstring& imageXml,
                    uint64_t packageSize);
    ~ExtractProgress();
    ExtractProgress(const ExtractProgress&) = delete;
    ExtractProgress& operator=(const ExtractProgress&) = delete;

private:
    static uint32_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, void* self);

    platform::WimHandle m_file = nullptr;
    uint64_t m_total = 0;
};

}  // namespace quen::wim
