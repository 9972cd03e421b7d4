#include "support/os/FolderEntries.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>

namespace quen::os {

bool ReadFolder(const std::wstring& folder, std::vector<FolderEntry>& entries)
{
    std::vector<platform::DirEntry> found;
    if (!platform::ListDirectory(folder, found))
        return false;
    entries.clear();
    entries.reserve(found.size());
    for (auto& entry : found) {
        std::wstring path = folder + entry.name;
        std::wstring full;
        if (!platform::FullPath(path, full) || full != path) {
            platform::SetLastErrorCode(platform::err::InvalidName);
            return false;
        }
        entries.push_back({std::move(entry.name), std::move(path), entry.isDirectory});
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int order = platform::CompareNoCase(a.name, b.name);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return true;
}

}  // namespace quen::os
