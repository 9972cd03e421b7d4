// POSIX personality: copying and moving one file.
//
// A failed copy leaves an existing target as it was and no half-written file
// behind: a replacement is written beside the target and renamed over it only
// when complete. The content goes through the kernel's fast paths where the
// file system has them: a reflink shares the blocks, and copy_file_range
// copies inside the kernel; plain reads and writes remain for the rest.
#include "platform/FileSystem.h"

#include "platform/ByteProgress.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/posix/DiskChangeHook.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/StoredAttributes.h"
#include "platform/posix/TemporaryFile.h"
#include "platform/posix/UniqueFd.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quen::platform {
namespace {

constexpr std::size_t kRangeChunk = std::size_t{1} << 30;
// While someone watches the bytes, the kernel copies in smaller pieces.
constexpr std::size_t kWatchedRangeChunk = std::size_t{16} << 20;
constexpr std::size_t kBufferSize = std::size_t{1} << 20;

// Where a copy is written: straight into the target when it does not exist
// yet, else into a staged file beside it that replaces it once complete.
// Either is removed again unless completed.
class CopyOutput {
public:
    // Creates the target; fails with EEXIST when there is one.
    explicit CopyOutput(const std::filesystem::path& target) : m_target(target) { m_file.Create(m_target); }

    // Writes to a new file beside the existing target instead.
    bool StageReplacement()
    {
        static const std::string prefix = ".quen-copy-" + std::to_string(::getpid()) + "-";
        static std::atomic<unsigned> counter{0};
        m_staged = true;
        for (int attempt = 0; attempt < 8; ++attempt) {
            if (m_file.Create(m_target.parent_path() / (prefix + std::to_string(counter++) + ".tmp")))
                return true;
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    int Fd() const { return m_file.Fd(); }
    explicit operator bool() const { return m_file.Fd() >= 0; }

    bool Complete()
    {
        // A write the kernel could not finish may be reported at close.
        if (::close(m_file.TakeFd().Release()) != 0)
            return false;
        if (m_staged)
            return m_file.KeepAs(m_target);
        m_file.Keep();
        return true;
    }

private:
    std::filesystem::path m_target;
    bool m_staged = false;
    posix::TemporaryFile m_file;
};

bool ReadWriteCopy(int in, int out)
{
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    for (;;) {
        const ssize_t got = ::read(in, buffer.get(), kBufferSize);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.get() + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += put;
        }
        if (!ByteProgressScope::Advance(static_cast<uint64_t>(got))) {
            errno = ECANCELED;
            return false;
        }
    }
}

// copy_file_range cannot serve this pair of files, but reads and writes can.
bool RangeCopyUnavailable(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

bool CopyContent(int in, int out, uint64_t size)
{
    // A refused copy fails once the target exists, as on a full disk.
    if (posix::DiskChangeRefused())
        return false;
    if (::ioctl(out, FICLONE, in) == 0) {
        if (ByteProgressScope::Advance(size))
            return true;
        errno = ECANCELED;
        return false;
    }
    const std::size_t chunk = ByteProgressScope::Active() ? kWatchedRangeChunk : kRangeChunk;
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, chunk, 0);
        if (copied > 0) {
            if (ByteProgressScope::Advance(static_cast<uint64_t>(copied)))
                continue;
            errno = ECANCELED;
            return false;
        }
        if (copied == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (!RangeCopyUnavailable(errno))
            return false;
        break;  // go on from where the kernel stopped
    }
    return ReadWriteCopy(in, out);
}

}  // namespace

bool CopyOneFile(const std::wstring& source, const std::wstring& target, bool failIfExists)
{
    std::filesystem::path from, to;
    if (!ToHostPath(source, from) || !ToHostPath(target, to))
        return false;
    const posix::UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in)
        return FailWithErrno(errno);
    struct stat sourceStat;
    if (::fstat(in.Get(), &sourceStat) != 0)
        return FailWithErrno(errno);
    if (S_ISDIR(sourceStat.st_mode))
        return Fail(err::AccessDenied);

    // Most copies go to a new name: the target is looked at only when it
    // exists, and an existing one is never opened for writing.
    CopyOutput out(to);
    if (!out) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Fail(err::PathNotFound);
        if (errno != EEXIST)
            return FailWithErrno(errno);
        struct stat targetStat;
        const bool found = ::stat(to.c_str(), &targetStat) == 0;
        if (found && targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino)
            return Fail(err::AccessDenied);
        if (failIfExists)
            return Fail(err::FileExists);
        if (found && (S_ISDIR(targetStat.st_mode) || (posix::StoredAttributes(to) & posix::kAttrReadOnly)))
            return Fail(err::AccessDenied);
        if (!out.StageReplacement())
            return FailWithErrno(errno);
    }
    if (!CopyContent(in.Get(), out.Fd(), static_cast<uint64_t>(sourceStat.st_size)))
        return FailWithErrno(errno);
    posix::CopyStoredAttributes(in.Get(), out.Fd());
    const timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    // A copy is the owner's to change, as a Windows copy is unless it keeps
    // the read-only attribute: a file from a read-only disc (mode 0444) must
    // not give a working copy that cannot be unscrambled or replaced.
    if (::fchmod(out.Fd(), (sourceStat.st_mode & 0777) | S_IWUSR) != 0 || ::futimens(out.Fd(), times) != 0)
        return FailWithErrno(errno);
    if (!out.Complete())
        return FailWithErrno(errno);
    return true;
}

bool MoveOneFile(const std::wstring& source, const std::wstring& target)
{
    std::filesystem::path from, to;
    if (!ToHostPath(source, from) || !ToHostPath(target, to))
        return false;
    if (posix::DiskChangeRefused())
        return FailWithErrno(errno);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL) {
        // File systems without the flag: check, then rename.
        struct stat st;
        if (::lstat(to.c_str(), &st) == 0)
            return Fail(err::AlreadyExists);
        if (::rename(from.c_str(), to.c_str()) == 0)
            return true;
    }
    if (errno != EXDEV)
        return FailWithErrno(errno);
    // Another file system: a file moves as a copy and a removal, as on Windows.
    struct stat st;
    if (::stat(from.c_str(), &st) != 0)
        return FailWithErrno(errno);
    if (S_ISDIR(st.st_mode))
        return Fail(err::NotSupported);
    if (!CopyOneFile(source, target, true))
        return LastError() == err::FileExists ? Fail(err::AlreadyExists) : false;
    if (::unlink(from.c_str()) != 0)
        return FailWithErrno(errno);
    return true;
}

}  // namespace quen::platform
