// POSIX personality: files and folders by Windows path.
//
// A symbolic link inside a folder is listed as what it is, not what it points
// to: removing a tree then removes the link and never the content behind it,
// and a link to a folder cannot lead a walk round in circles.
#include "platform/FileSystem.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/WindowsPath.h"
#include "platform/posix/DirectoryReader.h"
#include "platform/posix/DiskChangeHook.h"
#include "platform/posix/MachineState.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/StoredAttributes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quen::platform {
namespace {

bool StatPath(const std::wstring& path, std::filesystem::path& host, struct stat& st)
{
    if (!ToHostPath(path, host))
        return false;
    if (::stat(host.c_str(), &st) != 0)
        return FailWithErrno(errno);
    return true;
}

bool StatPath(const std::wstring& path, struct stat& st)
{
    std::filesystem::path host;
    return StatPath(path, host, st);
}

bool IsBelow(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    const std::filesystem::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

bool IsRoot(const std::wstring& path)
{
    WindowsPath parsed;
    return ParseWindowsPath(path, posix::WindowsCurrentDirectory(), parsed) == 0 && parsed.components.empty();
}

// A drive or share root always exists for Windows. One kept inside the
// machine root gets its folder when first needed; a mapped folder that is
// missing is a drive without its disc, and stays missing.
bool MakeRoot(const std::filesystem::path& host)
{
    struct stat st;
    if (::stat(host.c_str(), &st) == 0)
        return Fail(err::AlreadyExists);
    if (!IsBelow(host, posix::MachineRootPath() / "drives") && !IsBelow(host, posix::UncFolder()))
        return Fail(err::NotReady);
    std::error_code error;
    std::filesystem::create_directories(host, error);
    return error ? FailWithErrno(error.value()) : true;
}

}  // namespace

bool PathExists(const std::wstring& path)
{
    struct stat st;
    return StatPath(path, st);
}

bool IsDirectory(const std::wstring& path)
{
    struct stat st;
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool GetFileStatus(const std::wstring& path, FileStatus& status)
{
    std::filesystem::path host;
    struct stat st;
    if (!StatPath(path, host, st))
        return false;
    status.isDirectory = S_ISDIR(st.st_mode);
    status.size = status.isDirectory ? 0 : static_cast<uint64_t>(st.st_size);
    status.modifiedUnixSeconds = st.st_mtim.tv_sec;
    status.attributes = posix::WindowsAttributes(host, status.isDirectory);
    return true;
}

bool MakeDirectory(const std::wstring& path)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return false;
    if (posix::DiskChangeRefused())
        return FailWithErrno(errno);
    if (IsRoot(path))
        return MakeRoot(host);
    if (::mkdir(host.c_str(), 0777) != 0)
        return errno == ENOENT ? Fail(err::PathNotFound) : FailWithErrno(errno);
    return true;
}

bool RemoveFile(const std::wstring& path)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return false;
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0)
        return FailWithErrno(errno);
    if (S_ISDIR(st.st_mode))
        return Fail(err::AccessDenied);
    if (!S_ISLNK(st.st_mode) && (posix::StoredAttributes(host) & posix::kAttrReadOnly))
        return Fail(err::AccessDenied);
    if (posix::DiskChangeRefused())
        return FailWithErrno(errno);
    if (::unlink(host.c_str()) != 0)
        return FailWithErrno(errno);
    return true;
}

bool RemoveEmptyDirectory(const std::wstring& path)
{
    std::filesystem::path host;
    struct stat st;
    if (!StatPath(path, host, st))
        return false;
    if (!S_ISDIR(st.st_mode))
        return Fail(err::Directory);
    if (posix::StoredAttributes(host) & posix::kAttrReadOnly)
        return Fail(err::AccessDenied);
    if (posix::DiskChangeRefused())
        return FailWithErrno(errno);
    if (::rmdir(host.c_str()) != 0)
        return FailWithErrno(errno);
    return true;
}

bool ListDirectory(const std::wstring& path, std::vector<DirEntry>& entries)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return false;
    posix::DirectoryReader dir(host);
    if (!dir)
        return FailWithErrno(errno);

    std::vector<DirEntry> found;
    posix::DirectoryEntry entry;
    while (dir.Next(entry)) {
        auto wide = FromUtf8(entry.name);
        if (!wide)
            return Fail(err::NoUnicodeTranslation);
        found.push_back({std::move(*wide), entry.isDirectory});
    }
    if (errno != 0)
        return FailWithErrno(errno);
    entries = std::move(found);
    return true;
}

bool IsSameFile(const std::wstring& a, const std::wstring& b)
{
    struct stat first, second;
    return StatPath(a, first) && StatPath(b, second) && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

}  // namespace quen::platform
