#include "support/os/Removal.h"

#include <quen/OsServices.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace quen::os {
namespace {

// Runs `remove`, and once more after clearing a read-only attribute that
// refused it. Only a refusal clears anything: a link is removed at once and
// the attributes of what it points to stay as they are.
bool RemoveEvenIfReadOnly(const std::wstring& path, bool (*remove)(const std::wstring&))
{
    if (remove(path))
        return true;
    if (platform::LastError() != platform::err::AccessDenied)
        return false;
    const uint32_t attributes = platform::GetAttributes(path);
    if (attributes == platform::InvalidAttributes || (attributes & eAttrReadOnly) == 0) {
        platform::SetLastErrorCode(platform::err::AccessDenied);
        return false;
    }
    return ClearReadOnly(path, attributes) && remove(path);
}

}  // namespace

bool ClearReadOnly(const std::wstring& path, uint32_t attributes)
{
    const uint32_t kept = attributes & (eAttrHidden | eAttrSystem | eAttrArchive);
    return platform::SetAttributes(path, kept != 0 ? kept : eAttrNormal);
}

bool RemoveFileForced(const std::wstring& path) { return RemoveEvenIfReadOnly(path, platform::RemoveFile); }

bool RemoveTree(const std::wstring& folder)
{
    return platform::RemoveFolderContents(folder) && RemoveEvenIfReadOnly(folder, platform::RemoveEmptyDirectory);
}

}  // namespace quen::os
