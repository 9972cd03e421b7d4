// POSIX personality: a registry root's store file, its lock, its cache and
// its compaction.
#include "platform/posix/RegistryStore.h"

#include "foundation/Report.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/posix/DiskChangeHook.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/TemporaryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

namespace quen::platform::posix {
namespace {

// Compaction waits for this much dead content at least, so that a small store
// is not rewritten every few writes.
constexpr uint64_t kCompactionSlack = 64 * 1024;
// How much of a torn tail the warning that cuts it shows.
constexpr std::size_t kTornTailShown = 1000;

// A lock on a store's lock file: shared to read, exclusive to change. The
// lock file, not the store, carries the lock, because compaction replaces the
// store file.
class FileLock {
public:
    // A reader of a store whose folder does not exist goes without a lock:
    // there is nothing to read.
    int Acquire(const std::filesystem::path& path, bool exclusive)
    {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 && (errno == EACCES || errno == EROFS))
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return !exclusive && errno == ENOENT ? 0 : errno;
        m_fd = UniqueFd(fd);
        while (::flock(fd, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            if (errno != EINTR)
                return errno;
        }
        return 0;
    }

private:
    UniqueFd m_fd;
};

bool WriteBytes(int fd, std::string_view bytes, uint64_t offset)
{
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

// A refused write puts the first half down alone, as a disk that fills up
// part-way does.
bool WriteAll(int fd, std::string_view bytes, uint64_t offset)
{
    if (!DiskChangeRefused())
        return WriteBytes(fd, bytes, offset);
    const int error = errno;
    WriteBytes(fd, bytes.substr(0, bytes.size() / 2), offset);
    errno = error;
    return false;
}

// Puts the file's content (`dataOnly`) or content and metadata on disk.
bool Flush(int fd, bool dataOnly)
{
    if (DiskChangeRefused())
        return false;
    return (dataOnly ? ::fdatasync(fd) : ::fsync(fd)) == 0;
}

// Bytes [offset, end) of the file, fewer when it ends sooner.
bool ReadRange(int fd, uint64_t offset, uint64_t end, std::string& bytes)
{
    bytes.resize(end - offset);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return true;
}

// Makes a rename or a new entry in the folder durable.
bool SyncFolder(const std::filesystem::path& folder)
{
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd && ::fsync(fd.Get()) == 0;
}

}  // namespace

// The content parsed so far, and the parser that goes on where it stopped.
struct RegistryStore::Parsed final : regfile::ParseSink {
    explicit Parsed(RegRoot root) : tree(root), parser(root) {}

    void OnKey(const regfile::KeyPath& key) override { cursor = &tree.Create(key); }
    void OnKeyDeletion(const regfile::KeyPath& key) override
    {
        tree.DeleteTree(key);
        cursor = nullptr;
    }
    // The parser sends values only after a key line, so the cursor is set.
    void OnValue(const std::wstring& name, RegValue value) override { tree.SetValue(*cursor, name, std::move(value)); }
    void OnValueDeletion(const std::wstring& name) override { tree.DeleteValue(*cursor, name); }

    RegistryTree tree;
    regfile::Parser parser;
    RegistryTree::Key* cursor = nullptr;
};

RegistryStore::RegistryStore(std::filesystem::path file, RegRoot root)
    : m_file(std::move(file)), m_lockFile(m_file.string() + ".lock"), m_root(root)
{
}

RegistryStore::~RegistryStore() = default;

uint32_t RegistryStore::Read(const std::function<uint32_t(const RegistryTree&)>& look)
{
    std::lock_guard guard(m_mutex);
    FileLock lock;
    if (const int error = lock.Acquire(m_lockFile, false))
        return ReportIo(L"lock", error);
    if (const uint32_t code = Load())
        return code;
    return look(m_parsed->tree);
}

uint32_t RegistryStore::SetValue(const regfile::KeyPath& key, const std::wstring& name, const RegValue& value)
{
    return Modify([&](const RegistryTree& tree, std::vector<std::wstring>& lines) {
        // A name keeps the case it was first written with.
        std::wstring spelled = name;
        if (const RegistryTree::Key* existing = tree.Find(key)) {
            if (const RegistryTree::Value* known = RegistryTree::FindValue(*existing, name))
                spelled = known->name;
        }
        lines = {regfile::KeyLine(m_root, tree.Spelling(key)), regfile::ValueLines(spelled, value)};
        return err::Success;
    });
}

uint32_t RegistryStore::DeleteValue(const regfile::KeyPath& key, const std::wstring& name)
{
    return Modify([&](const RegistryTree& tree, std::vector<std::wstring>& lines) {
        const RegistryTree::Key* existing = tree.Find(key);
        if (!existing)
            return err::FileNotFound;
        const RegistryTree::Value* known = RegistryTree::FindValue(*existing, name);
        if (!known)
            return err::FileNotFound;
        lines = {regfile::KeyLine(m_root, tree.Spelling(key)), regfile::ValueDeletionLine(known->name)};
        return err::Success;
    });
}

uint32_t RegistryStore::DeleteTree(const regfile::KeyPath& key)
{
    if (key.empty())
        return err::AccessDenied;
    return Modify([&](const RegistryTree& tree, std::vector<std::wstring>& lines) {
        if (!tree.Find(key))
            return err::FileNotFound;
        lines = {regfile::KeyDeletionLine(m_root, tree.Spelling(key))};
        return err::Success;
    });
}

uint32_t RegistryStore::Compact()
{
    std::lock_guard guard(m_mutex);
    FileLock lock;
    if (const int error = lock.Acquire(m_lockFile, true))
        return ReportIo(L"lock", error);
    if (const uint32_t code = Load())
        return code;
    if (!m_fd)
        return err::Success;
    WarnOfTornTail();
    return Replace(m_parsed->tree.Serialize());
}

uint32_t RegistryStore::Modify(const Plan& plan)
{
    std::lock_guard guard(m_mutex);
    std::error_code ec;
    const auto folder = m_file.parent_path();
    if (std::filesystem::create_directories(folder, ec))
        SyncFolder(folder.parent_path());
    if (ec)
        return ReportIo(L"create the folder of", ec.value());
    FileLock lock;
    if (const int error = lock.Acquire(m_lockFile, true))
        return ReportIo(L"lock", error);
    if (const uint32_t code = Load())
        return code;
    std::vector<std::wstring> lines;
    if (const uint32_t code = plan(m_parsed->tree, lines))
        return code;
    return Append(lines);
}

// Brings the parsed content up to date with the file, under the file lock.
uint32_t RegistryStore::Load()
{
    int fd = ::open(m_file.c_str(), O_RDWR | O_CLOEXEC);
    const bool writable = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(m_file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            return ReportIo(L"open", errno);
        m_fd.Reset();
        m_parsed = std::make_unique<Parsed>(m_root);
        m_corruption.reset();
        m_size = m_parsedEnd = 0;
        return err::Success;
    }
    UniqueFd opened(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return ReportIo(L"examine", errno);
    const auto size = static_cast<uint64_t>(st.st_size);
    if (!m_fd || m_device != st.st_dev || m_inode != st.st_ino) {
        m_fd = std::move(opened);
        m_writable = writable;
        m_device = st.st_dev;
        m_inode = st.st_ino;
        return ParseFile(true, size);
    }
    if (m_corruption && size == m_size)
        return ReportCorruption();
    if (!m_parsed || size < m_parsedEnd)
        return ParseFile(true, size);
    if (size != m_size)
        return ParseFile(false, size);
    return err::Success;
}

uint32_t RegistryStore::ParseFile(bool fromStart, uint64_t size)
{
    if (fromStart) {
        m_parsed = std::make_unique<Parsed>(m_root);
        m_parsedEnd = 0;
    }
    m_corruption.reset();
    std::string bytes;
    if (!ReadRange(m_fd.Get(), m_parsedEnd, size, bytes))
        return ReportIo(L"read", errno);
    m_size = m_parsedEnd + bytes.size();
    return Consume(bytes);
}

uint32_t RegistryStore::Consume(std::string_view bytes)
{
    std::size_t consumed = 0;
    regfile::ParseError error;
    if (!m_parsed->parser.Parse(bytes, *m_parsed, consumed, error)) {
        m_corruption = error;
        m_parsed.reset();
        return ReportCorruption();
    }
    m_parsedEnd += consumed;
    return err::Success;
}

uint32_t RegistryStore::Append(const std::vector<std::wstring>& lines)
{
    if (!m_fd || !m_parsed->parser.HeaderRead()) {
        // No file yet, or one cut short inside its first line: start afresh.
        WarnOfTornTail();
        std::string content = regfile::FileStart();
        regfile::AppendSection(content, lines);
        return Replace(content);
    }
    if (!m_writable)
        return ReportIo(L"write", EACCES);
    const int fd = m_fd.Get();
    if (m_size > m_parsedEnd) {
        WarnOfTornTail();
        if (DiskChangeRefused() || ::ftruncate(fd, static_cast<off_t>(m_parsedEnd)) != 0)
            return ReportIo(L"cut the incomplete end of", errno);
        m_size = m_parsedEnd;
    }
    // Each section ends with a blank line, as reg export writes them; a file
    // edited by hand may lack the last one.
    std::string bytes = m_parsed->parser.EndsWithBlankLine() ? std::string() : regfile::LineEnd();
    regfile::AppendSection(bytes, lines);
    if (!WriteAll(fd, bytes, m_parsedEnd) || !Flush(fd, true)) {
        const int error = errno;
        if (::ftruncate(fd, static_cast<off_t>(m_parsedEnd)) == 0)
            ::fdatasync(fd);
        return ReportIo(L"append to", error);
    }
    m_size = m_parsedEnd + bytes.size();
    if (const uint32_t code = Consume(bytes))
        return code;
    if (m_parsedEnd > 2 * m_parsed->tree.LiveBytes() + kCompactionSlack) {
        // The change is on disk already; a failed compaction only postpones the next.
        if (Replace(m_parsed->tree.Serialize()) != err::Success)
            Report(ReportLevel::Warning, L"Registry file " + FromUtf8Lossy(m_file.string()) + L" was not compacted");
    }
    return err::Success;
}

// Writes `content` as the whole new file: a temporary file, flushed, renamed
// over the store, so that a crash leaves either the old file or the new one.
uint32_t RegistryStore::Replace(const std::string& content)
{
    // Beside the store, so that the rename stays within its file system.
    TemporaryFile temp;
    if (DiskChangeRefused() || !temp.CreateUnique(m_file.string() + "."))
        return ReportIo(L"create a temporary file for", errno);
    if (!WriteAll(temp.Fd(), content, 0) || ::fchmod(temp.Fd(), 0644) != 0 || !Flush(temp.Fd(), false))
        return ReportIo(L"write a temporary file for", errno);
    struct stat st {};
    if (::fstat(temp.Fd(), &st) != 0)
        return ReportIo(L"examine a temporary file for", errno);
    if (DiskChangeRefused() || !temp.KeepAs(m_file))
        return ReportIo(L"rename a temporary file to", errno);
    m_fd = temp.TakeFd();
    m_writable = true;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_parsed = std::make_unique<Parsed>(m_root);
    m_corruption.reset();
    m_size = content.size();
    m_parsedEnd = 0;
    if (const uint32_t code = Consume(content))
        return code;
    if (!SyncFolder(m_file.parent_path()))
        return ReportIo(L"flush the folder of", errno);
    return err::Success;
}

void RegistryStore::WarnOfTornTail()
{
    if (m_size <= m_parsedEnd)
        return;
    std::string tail;
    ReadRange(m_fd.Get(), m_parsedEnd, m_size, tail);
    std::wstring text = FromUtf16Le(tail);
    if (text.size() > kTornTailShown)
        text = text.substr(0, kTornTailShown) + L"...";
    Report(ReportLevel::Warning, L"Registry file " + FromUtf8Lossy(m_file.string()) +
                                     L" ends with an incomplete write of " + std::to_wstring(m_size - m_parsedEnd) +
                                     L" bytes, which is dropped: " + text);
}

uint32_t RegistryStore::ReportCorruption() const
{
    Report(ReportLevel::Error, L"Registry file " + FromUtf8Lossy(m_file.string()) + L" cannot be parsed at line " +
                                   std::to_wstring(m_corruption->line) + L": " + m_corruption->reason +
                                   L". It is left unchanged.");
    return err::RegistryCorrupt;
}

uint32_t RegistryStore::ReportIo(const wchar_t* action, int error) const
{
    Report(ReportLevel::Error, L"Cannot " + std::wstring(action) + L" registry file " +
                                   FromUtf8Lossy(m_file.string()) + L": " +
                                   FromUtf8Lossy(std::generic_category().message(error)));
    return Win32FromErrno(error);
}

}  // namespace quen::platform::posix
