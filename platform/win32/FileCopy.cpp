// Windows: copying and moving one file. CopyFileW copies the content, the
// attributes and the modification time, and removes a target it could not
// complete.
#include "platform/FileSystem.h"
#include "platform/ByteProgress.h"
#include "platform/win32/ApiPath.h"
#include "platform/win32/FileIdentity.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {
namespace {

// Reports each piece CopyFileExW has written; cancels the copy once the
// watcher's sink has thrown.
DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                            HANDLE, HANDLE, LPVOID start)
{
    const uint64_t done = static_cast<uint64_t>(transferred.QuadPart);
    return ByteProgressScope::Reach(*static_cast<uint64_t*>(start) + done) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

}  // namespace

bool CopyOneFile(const std::wstring& source, const std::wstring& target, bool failIfExists)
{
    // A copy onto itself would truncate the one file before reading it on
    // some file systems; it is refused before anything is opened for writing.
    win32::FileIdentity sourceId, targetId;
    if (!win32::IdentifyFile(source, sourceId))
        return false;
    if (win32::IdentifyFile(target, targetId)) {
        if (sourceId == targetId)
            return win32::Fail(ERROR_ACCESS_DENIED);
        // Windows refuses to replace a read-only file; Wine replaces it.
        // Refuse it wherever we run.
        const DWORD attributes = ::GetFileAttributesW(win32::ApiPath(target).c_str());
        if (!failIfExists && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return win32::Fail(ERROR_ACCESS_DENIED);
    }
    if (!ByteProgressScope::Active())
        return ::CopyFileW(win32::ApiPath(source).c_str(), win32::ApiPath(target).c_str(), failIfExists) != FALSE;
    // Where the step stood before this file: the routine reports from there.
    uint64_t start = ByteProgressScope::Done();
    return ::CopyFileExW(win32::ApiPath(source).c_str(), win32::ApiPath(target).c_str(), CopyProgress, &start,
                         nullptr, failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0) != FALSE;
}

bool MoveOneFile(const std::wstring& source, const std::wstring& target)
{
    // Without MOVEFILE_REPLACE_EXISTING an existing target fails with
    // AlreadyExists; across volumes a file moves as a copy and a removal.
    return ::MoveFileExW(win32::ApiPath(source).c_str(), win32::ApiPath(target).c_str(), MOVEFILE_COPY_ALLOWED) !=
           FALSE;
}

}  // namespace quen::platform
