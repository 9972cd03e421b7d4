#include "platform/posix/DirectoryReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quen::platform::posix {

DirectoryReader::DirectoryReader(const std::filesystem::path& path) : m_dir(::opendir(path.c_str())) {}

DirectoryReader::DirectoryReader(int folder)
{
    // fdopendir takes over the descriptor it is given: it gets a copy.
    const int fd = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return;
    m_dir = ::fdopendir(fd);
    if (!m_dir) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
}

DirectoryReader::~DirectoryReader()
{
    if (m_dir)
        ::closedir(m_dir);
}

bool DirectoryReader::Next(DirectoryEntry& entry)
{
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(m_dir);
        if (!found)
            return false;
        const std::string_view name = found->d_name;
        if (name == "." || name == "..")
            continue;
        entry.name = name;
        if (found->d_type != DT_UNKNOWN) {
            entry.isDirectory = found->d_type == DT_DIR;
        } else {
            struct stat st;
            entry.isDirectory =
                ::fstatat(::dirfd(m_dir), found->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        errno = 0;
        return true;
    }
}

}  // namespace quen::platform::posix
