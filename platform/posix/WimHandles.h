// The objects behind wimgapi handles on POSIX. wimlib has no image handle, so
// an image is its file and an index. A handle is a number that is never used
// twice, so a closed or made-up handle is refused instead of reaching a freed
// object.
#pragma once

#include "platform/Wimgapi.h"

#include <wimlib.h>

#include <chrono>
#include <memory>
#include <vector>

namespace quen::platform::posix {

struct WimCallback {
    WimGenericProc proc;
    void* userData;
};

// One open WIM file.
struct WimFile {
    explicit WimFile(WIMStruct* opened) : wim(opened) {}
    ~WimFile() { wimlib_free(wim); }
    WimFile(const WimFile&) = delete;
    WimFile& operator=(const WimFile&) = delete;

    WIMStruct* wim;
    std::vector<WimCallback> callbacks;
    bool hasReferences = false;
    // Progress of the extraction under way.
    int lastPercent = -1;
    std::chrono::steady_clock::time_point started;
};

// What a handle stands for: a file (index 0), or one image of it. An image
// handle keeps its file alive.
struct WimObject {
    std::shared_ptr<WimFile> file;
    int index = 0;
};

WimHandle AddHandle(WimObject object);
// The file of a file handle, the image of an image handle; false (and the
// last error InvalidHandle) for anything else.
bool FindFile(WimHandle handle, std::shared_ptr<WimFile>& file);
bool FindImage(WimHandle handle, WimObject& image);
// Either kind.
bool FindObject(WimHandle handle, WimObject& object);
bool RemoveHandle(WimHandle handle);

}  // namespace quen::platform::posix
