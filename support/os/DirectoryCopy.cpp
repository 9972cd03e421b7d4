// Copying files and listed trees into a folder.
#include <quen/OsServices.h>

#include "foundation/WideString.h"
#include "platform/ByteProgress.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "support/os/FileErrors.h"
#include "support/os/Removal.h"

#include <vector>

namespace {

constexpr wchar_t kSource[] = L".\\Directory";

void CreateFolderOrThrow(const std::wstring& folder)
{
    if (!CDirectory::Create(folder))
        quen::os::ThrowFileError(kSource, __LINE__, EFileException::CreateFailed,
                                 quen::Format(L"Unable to create the folder %s.", folder), folder,
                                 quen::platform::LastError());
}

// Copies one file (full paths), replacing a read-only target when asked to
// replace, and says precisely what went wrong otherwise.
void CopyOne(const std::wstring& source, const std::wstring& target, bool failIfExists)
{
    namespace err = quen::platform::err;
    if (quen::platform::CopyOneFile(source, target, failIfExists))
        return;
    // A watcher that threw stopped the copy: its exception is the story.
    quen::platform::ByteProgressScope::RethrowPending();
    uint32_t code = quen::platform::LastError();
    if (quen::platform::IsSameFile(source, target))
        quen::os::ThrowFileError(kSource, __LINE__, EFileException::WriteFailed,
                                 quen::Format(L"Unable to copy %s to %s: both name the same file.", source, target),
                                 target, 0);
    if (!CFilename::Exists(source))
        quen::os::ThrowFileError(kSource, __LINE__, EFileException::OpenFailed,
                                 quen::Format(L"Unable to open %s to copy it.", source), source, code);
    // Only a read-only target is retried; any other refusal (a source that
    // cannot be read, for one) keeps the copy's own error.
    const uint32_t attributes =
        !failIfExists && code == err::AccessDenied ? quen::platform::GetAttributes(target) : 0;
    if (attributes != quen::platform::InvalidAttributes && (attributes & eAttrReadOnly)) {
        if (quen::os::ClearReadOnly(target, attributes) && quen::platform::CopyOneFile(source, target, false))
            return;
        code = quen::platform::LastError();
    }
    const bool notMade = code == err::FileExists || code == err::PathNotFound;
    quen::os::ThrowFileError(kSource, __LINE__, notMade ? EFileException::CreateFailed : EFileException::WriteFailed,
                             quen::Format(L"Unable to copy %s to %s.", source, target), target, code);
}

// After a file is copied the step stands at least at `done`, whether or not
// the copy reported its bytes (some systems' copy routines report nothing).
void ReachAfterCopy(uint64_t done)
{
    if (quen::platform::ByteProgressScope::Done() < done && !quen::platform::ByteProgressScope::Reach(done))
        quen::platform::ByteProgressScope::RethrowPending();
}

// True when `target` is `source` or lies inside it, by identity where the
// folders exist (whatever the spelling) and by name where they do not yet.
bool IsInside(const std::wstring& target, const std::wstring& source)
{
    for (std::wstring folder = target;;) {
        if (quen::platform::EqualsNoCase(folder, source) || quen::platform::IsSameFile(folder, source))
            return true;
        const std::wstring parent = CDirectory::GetParentDirectory(folder);
        if (parent.empty() || parent == folder)
            return false;
        folder = parent;
    }
}

}  // namespace

void CDirectory::CopyFileHere(const CFilename& file, bool failIfExists) const
{
    const std::wstring source = file.GetFullPath();
    if (file.GetFullName().empty())
        quen::os::ThrowFileError(kSource, __LINE__, EFileException::BadPath,
                                 quen::Format(L"Unable to copy %s: it names no file.", source), source, 0);
    const bool watched = quen::platform::ByteProgressScope::Active();
    quen::platform::FileStatus status;
    if (watched) {
        quen::platform::GetFileStatus(source, status);
        quen::platform::ByteProgressScope::Begin(source, status.size);
    }
    CopyOne(source, m_folder + file.GetFullName(), failIfExists);
    if (watched)
        ReachAfterCopy(status.size);
}

void CDirectory::CopyDirectoryHere(const CDirectory& source, bool failIfExists) const
{
    const std::wstring parent = GetParentDirectory(source.m_folder);
    if (parent.empty() || parent == source.m_folder)
        quen::os::ThrowFileError(kSource, __LINE__, EFileException::BadPath,
                                 quen::Format(L"Unable to copy %s: a root has no folder name to copy under.",
                                              source.m_folder),
                                 source.m_folder, 0);
    const std::wstring name = source.m_folder.substr(parent.size());  // with its trailing backslash
    source.CopyListingTo(m_folder + name, failIfExists);
}

void CDirectory::CopyDirectoryContentsHere(const CDirectory& source, bool failIfExists) const
{
    source.CopyListingTo(m_folder, failIfExists);
}

void CDirectory::CopyListingTo(const std::wstring& target, bool failIfExists) const
{
    if (IsInside(target, m_folder))
        quen::os::ThrowFileError(kSource, __LINE__, EFileException::CreateFailed,
                                 quen::Format(L"Unable to copy the folder %s into %s, which lies inside it.",
                                              m_folder, target),
                                 target, 0);
    CreateFolderOrThrow(target);
    for (const auto& relative : m_relativeDirectories)
        CreateFolderOrThrow(target + relative);

    const bool watched = quen::platform::ByteProgressScope::Active();
    std::vector<uint64_t> sizes;
    if (watched) {
        uint64_t total = 0;
        for (const CFilename& file : m_files) {
            quen::platform::FileStatus status;
            quen::platform::GetFileStatus(file.GetFullPath(), status);
            sizes.push_back(status.size);
            total += status.size;
        }
        quen::platform::ByteProgressScope::Begin(m_folder, total);
    }
    uint64_t copied = 0;
    // Files may lie in folders that were not listed: make each folder once.
    std::wstring made = target;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const std::wstring to = target + m_relativeFiles[i];
        const std::wstring folder = to.substr(0, to.find_last_of(L'\\') + 1);
        if (folder != made) {
            CreateFolderOrThrow(folder);
            made = folder;
        }
        CopyOne(m_files[i].GetFullPath(), to, failIfExists);
        if (watched)
            ReachAfterCopy(copied += sizes[i]);
    }
}
