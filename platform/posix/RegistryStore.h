// One registry root kept in a store file (<machine root>/registry/HKLM.reg and
// its siblings), shared safely by the threads of a process and by processes.
//
// A change appends one section to the file under an exclusive lock on
// "<file>.lock" and is on disk when it returns. An incomplete last line, left
// by a crash during an append, is ignored and cut off by the next change. Once
// the file has grown past twice its live content (plus some slack) it is
// rewritten to a temporary file, flushed and renamed over the old one. The
// parsed content stays in memory between calls: a call parses only what was
// appended since, and the whole file only when it was replaced. A file that
// cannot be parsed is never written: every call on it fails with
// RegistryCorrupt and logs an Error naming the file and the line.
#pragma once

#include "platform/Registry.h"
#include "platform/personality/RegFile.h"
#include "platform/personality/RegistryTree.h"
#include "platform/posix/UniqueFd.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quen::platform::posix {

using personality::RegistryTree;
namespace regfile = personality::regfile;

class RegistryStore {
public:
    RegistryStore(std::filesystem::path file, RegRoot root);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // Calls `look` with the current content and returns its result, or the
    // store's own error (no call then).
    uint32_t Read(const std::function<uint32_t(const RegistryTree&)>& look);
    // Sets a value, creating the key and its parents.
    uint32_t SetValue(const regfile::KeyPath& key, const std::wstring& name, const RegValue& value);
    // FileNotFound when the value or key is absent.
    uint32_t DeleteValue(const regfile::KeyPath& key, const std::wstring& name);
    // Removes a key below the root with everything below it; FileNotFound
    // when absent, AccessDenied for the root itself.
    uint32_t DeleteTree(const regfile::KeyPath& key);
    // Rewrites the file with its live content alone.
    uint32_t Compact();

private:
    struct Parsed;
    using Plan = std::function<uint32_t(const RegistryTree&, std::vector<std::wstring>& lines)>;

    uint32_t Modify(const Plan& plan);
    uint32_t Load();
    uint32_t ParseFile(bool fromStart, uint64_t size);
    uint32_t Consume(std::string_view bytes);
    uint32_t Append(const std::vector<std::wstring>& lines);
    uint32_t Replace(const std::string& content);
    void WarnOfTornTail();
    uint32_t ReportCorruption() const;
    uint32_t ReportIo(const wchar_t* action, int error) const;

    std::filesystem::path m_file;
    std::filesystem::path m_lockFile;
    RegRoot m_root;
    std::mutex m_mutex;

    // The file parsed, kept open so that its inode number, which tells a
    // replaced file from a grown one, cannot be reused meanwhile.
    UniqueFd m_fd;
    bool m_writable = false;
    uint64_t m_device = 0;
    uint64_t m_inode = 0;
    uint64_t m_size = 0;       // the file's size when last looked at
    uint64_t m_parsedEnd = 0;  // the bytes that hold whole lines; a torn tail follows
    std::unique_ptr<Parsed> m_parsed;  // null while the file is corrupt
    std::optional<regfile::ParseError> m_corruption;
};

}  // namespace quen::platform::posix
