// The entries of a folder, read one at a time; the folder is closed when the
// reader goes out of scope.
#pragma once

#include <dirent.h>

#include <filesystem>
#include <string_view>

namespace quen::platform::posix {

struct DirectoryEntry {
    std::string_view name;  // valid until the next read
    bool isDirectory = false;  // a link counts as a link, whatever it points to
};

class DirectoryReader {
public:
    // Opens the folder at `path`; errno tells why when it cannot.
    explicit DirectoryReader(const std::filesystem::path& path);
    // Reads the open folder `folder`, which stays its owner's to close.
    explicit DirectoryReader(int folder);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    explicit operator bool() const { return m_dir != nullptr; }

    // The next entry, "." and ".." left out. False at the end (errno 0) or on
    // an error (errno set).
    bool Next(DirectoryEntry& entry);

private:
    DIR* m_dir = nullptr;
};

}  // namespace quen::platform::posix
