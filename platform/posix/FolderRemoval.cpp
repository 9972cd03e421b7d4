// POSIX personality: emptying a folder by the host's own directory entries.
//
// Each entry is removed through the folder's descriptor by the name the host
// gave it (openat, unlinkat), never through a Windows path made from that
// name: a name no Windows path can spell ("install-12:30.log", "a?b", a tab,
// a backslash, bytes that are not UTF-8) is removed like any other, and a
// host file "x\y" is never taken for the file y in folder x.
#include "platform/FileSystem.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/posix/DirectoryReader.h"
#include "platform/posix/DiskChangeHook.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quen::platform {
namespace {

struct Entry {
    std::string name;
    bool isDirectory = false;
};

// The entries of an open folder, links as links; false with errno set.
bool ReadEntries(int folder, std::vector<Entry>& entries)
{
    posix::DirectoryReader dir(folder);
    if (!dir)
        return false;
    posix::DirectoryEntry entry;
    while (dir.Next(entry))
        entries.push_back({std::string(entry.name), entry.isDirectory});
    return errno == 0;
}

bool EmptyFolder(int folder)
{
    std::vector<Entry> entries;
    if (!ReadEntries(folder, entries))
        return false;
    for (const Entry& entry : entries) {
        if (entry.isDirectory) {
            // A folder a setup program left without the owner's rights is
            // given them back, so that its content can go too.
            struct stat st;
            if (::fstatat(folder, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                (st.st_mode & S_IRWXU) != S_IRWXU)
                ::fchmodat(folder, entry.name.c_str(), (st.st_mode & 07777) | S_IRWXU, 0);
            const posix::UniqueFd inner(
                ::openat(folder, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!inner || !EmptyFolder(inner.Get()))
                return false;
        }
        if (posix::DiskChangeRefused())
            return false;
        if (::unlinkat(folder, entry.name.c_str(), entry.isDirectory ? AT_REMOVEDIR : 0) != 0)
            return false;
    }
    return true;
}

}  // namespace

bool RemoveFolderContents(const std::wstring& path)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return false;
    const posix::UniqueFd folder(::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return errno == ENOTDIR ? Fail(err::Directory) : FailWithErrno(errno);
    return EmptyFolder(folder.Get()) || FailWithErrno(errno);
}

}  // namespace quen::platform
