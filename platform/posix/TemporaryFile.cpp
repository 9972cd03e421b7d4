#include "platform/posix/TemporaryFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>

namespace quen::platform::posix {

bool TemporaryFile::Create(const std::filesystem::path& path)
{
    Discard();
    m_fd = UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (m_fd)
        m_path = path;
    return static_cast<bool>(m_fd);
}

bool TemporaryFile::CreateUnique(const std::string& prefix)
{
    Discard();
    std::string name = prefix + "XXXXXX";  // mkostemp's template
    m_fd = UniqueFd(::mkostemp(name.data(), O_CLOEXEC));
    if (m_fd)
        m_path = name;
    return static_cast<bool>(m_fd);
}

bool TemporaryFile::KeepAs(const std::filesystem::path& target)
{
    if (::rename(m_path.c_str(), target.c_str()) != 0)
        return false;
    Keep();
    return true;
}

void TemporaryFile::Discard()
{
    m_fd.Reset();
    if (!m_path.empty()) {
        const int error = errno;
        ::unlink(m_path.c_str());
        errno = error;
    }
    m_path.clear();
}

}  // namespace quen::platform::posix
