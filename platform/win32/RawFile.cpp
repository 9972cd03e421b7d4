// Windows: one file through a kernel handle; reads and writes name their
// offset in an OVERLAPPED, so no shared file position is involved.
#include "platform/RawFile.h"
#include "platform/win32/ApiPath.h"
#include "platform/win32/WindowsSupport.h"

#include <algorithm>

namespace quen::platform {
namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED At(uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

// One ReadFile or WriteFile moves at most this much.
constexpr std::size_t kMaxChunk = 1u << 30;

}  // namespace

RawFile::~RawFile()
{
    if (IsOpen())
        ::CloseHandle(AsHandle(m_handle));
}

bool RawFile::Open(const std::wstring& path, Access access, Share share)
{
    if (IsOpen())
        return win32::Fail(ERROR_INVALID_HANDLE);
    const DWORD desired = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD shared = share == Share::Read ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder fails with ERROR_ACCESS_DENIED.
    const HANDLE handle = ::CreateFileW(win32::ApiPath(path).c_str(), desired, shared, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    m_handle = reinterpret_cast<intptr_t>(handle);
    return true;
}

bool RawFile::GetSize(uint64_t& size) const
{
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(AsHandle(m_handle), &value))
        return false;
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool RawFile::ReadAt(uint64_t offset, void* buffer, std::size_t count, std::size_t& got) const
{
    got = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (got < count) {
        OVERLAPPED at = At(offset + got);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(count - got, kMaxChunk));
        if (!::ReadFile(AsHandle(m_handle), bytes + got, chunk, &n, &at))
            return ::GetLastError() == ERROR_HANDLE_EOF;
        if (n == 0)
            break;
        got += n;
    }
    return true;
}

bool RawFile::WriteAt(uint64_t offset, const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < count;) {
        OVERLAPPED at = At(offset + done);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!::WriteFile(AsHandle(m_handle), bytes + done, chunk, &n, &at))
            return false;
        done += n;
    }
    return true;
}

}  // namespace quen::platform
