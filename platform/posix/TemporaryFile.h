// A file that counts only once it is complete: it is removed when it goes out
// of scope, unless it was kept where it is or renamed into place.
#pragma once

#include "platform/posix/UniqueFd.h"

#include <filesystem>
#include <string>

namespace quen::platform::posix {

class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile() { Discard(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates `path`, which must not exist yet (errno EEXIST when it does),
    // open for writing. False with errno set.
    bool Create(const std::filesystem::path& path);
    // Creates a file of a fresh name that starts with `prefix`, open for
    // reading and writing. False with errno set.
    bool CreateUnique(const std::string& prefix);

    int Fd() const { return m_fd.Get(); }
    // The descriptor, for the caller to close or keep; the file stays a
    // temporary one.
    UniqueFd TakeFd() { return std::move(m_fd); }
    // The file stays as it is.
    void Keep() { m_path.clear(); }
    // Renames the file over `target` and keeps it there; false with errno set,
    // and the file still temporary, when the rename fails.
    bool KeepAs(const std::filesystem::path& target);

private:
    void Discard();

    std::filesystem::path m_path;  // empty once kept
    UniqueFd m_fd;
};

}  // namespace quen::platform::posix
