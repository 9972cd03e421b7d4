// Windows: the file opened with no sharing; a second open fails with a
// sharing violation until the handle is closed.
#include "platform/FileLock.h"
#include "platform/win32/ApiPath.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {

std::unique_ptr<FileLock> FileLock::TryLock(const std::wstring& path)
{
    const HANDLE handle = ::CreateFileW(win32::ApiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::unique_ptr<FileLock>(new FileLock(reinterpret_cast<intptr_t>(handle)));
}

FileLock::~FileLock() { ::CloseHandle(reinterpret_cast<HANDLE>(m_handle)); }

}  // namespace quen::platform
