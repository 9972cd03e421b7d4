#include <quen/OsServices.h>

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WindowsPath.h"
#include "support/os/FileErrors.h"
#include "support/os/FolderEntries.h"
#include "support/os/Removal.h"

namespace {

constexpr wchar_t kSource[] = L".\\Directory";

// Creates `folder` (full path with a trailing backslash) after its missing
// parents.
bool CreateWithParents(const std::wstring& folder)
{
    if (quen::platform::IsDirectory(folder))
        return true;
    const std::wstring parent = CDirectory::GetParentDirectory(folder);
    if (parent != folder && !CreateWithParents(parent))
        return false;
    // Someone else may have made it meanwhile: that counts as made.
    return quen::platform::MakeDirectory(folder) ||
           (quen::platform::LastError() == quen::platform::err::AlreadyExists &&
            quen::platform::IsDirectory(folder));
}

bool FullFolder(const std::wstring& path, std::wstring& folder)
{
    if (!quen::platform::FullPath(path, folder))
        return false;
    folder = CFileSystemObject::PathAddSlash(folder);
    return true;
}

struct Listing {
    std::vector<std::wstring> files;  // relative paths
    std::vector<std::wstring> directories;  // relative paths with a trailing backslash
};

// Walks `folder` in name order, so that a folder comes before what it holds.
void Walk(const std::wstring& folder, const std::wstring& relative, const std::wstring& pattern, bool recurse,
          bool includeFolders, Listing& out)
{
    std::vector<quen::os::FolderEntry> entries;
    if (!quen::os::ReadFolder(folder, entries)) {
        const uint32_t code = quen::platform::LastError();
        // A missing folder lists as empty; one below it that vanished while
        // we walked is a failure like any other.
        if (relative.empty() && (code == quen::platform::err::FileNotFound ||
                                 code == quen::platform::err::PathNotFound))
            return;
        quen::os::ThrowFileError(kSource, __LINE__, EFileException::OpenFailed,
                                 quen::Format(L"Unable to read the folder %s.", folder), folder, code);
    }
    for (const auto& entry : entries) {
        if (entry.isDirectory) {
            const std::wstring sub = relative + entry.name + L"\\";
            if (includeFolders)
                out.directories.push_back(sub);
            if (recurse)
                Walk(entry.path + L"\\", sub, pattern, recurse, includeFolders, out);
        } else if (quen::platform::MatchesPattern(entry.name, pattern)) {
            out.files.push_back(relative + entry.name);
        }
    }
}

}  // namespace

CDirectory::CDirectory(const std::wstring& path)
{
    m_folder = PathAddSlash(quen::os::FullPathOrThrow(path, kSource, __LINE__));
}

CDirectory::CDirectory(const std::wstring& path, const wchar_t* pattern, bool recurse, bool includeFolders)
    : CDirectory(path)
{
    SetOptions(recurse, includeFolders);
    if (pattern)
        LoadContents(pattern);
}

bool CDirectory::Exists(const std::wstring& path)
{
    std::wstring full;
    return quen::platform::FullPath(path, full) && quen::platform::IsDirectory(full);
}

bool CDirectory::Exists() const { return Exists(m_folder); }

bool CDirectory::Create(const std::wstring& path)
{
    std::wstring folder;
    return FullFolder(path, folder) && CreateWithParents(folder);
}

bool CDirectory::Create() const { return Create(m_folder); }

bool CDirectory::EnsureEmptyDirExists(const std::wstring& path)
{
    std::wstring folder;
    if (!FullFolder(path, folder))
        return false;
    if (quen::platform::IsDirectory(folder))
        return quen::platform::RemoveFolderContents(folder);
    return CreateWithParents(folder);
}

bool CDirectory::EnsureEmptyDirExists() const { return EnsureEmptyDirExists(m_folder); }

bool CDirectory::Delete() const
{
    if (!quen::platform::PathExists(m_folder))
        return true;
    return quen::os::RemoveTree(m_folder);
}

std::wstring CDirectory::GetParentDirectory(const std::wstring& path)
{
    quen::platform::WindowsPath parsed;
    if (quen::platform::ParseWindowsPath(path, quen::platform::CurrentDirectory(), parsed) != 0)
        return std::wstring();
    if (!parsed.components.empty())
        parsed.components.pop_back();
    parsed.trailingSlash = true;
    return parsed.ToString();
}

void CDirectory::SetOptions(bool recurse, bool includeFolders)
{
    m_recurse = recurse;
    m_includeFolders = includeFolders;
}

void CDirectory::LoadContents(const wchar_t* pattern)
{
    Listing listing;
    Walk(m_folder, std::wstring(), pattern ? pattern : L"*", m_recurse, m_includeFolders, listing);

    std::vector<CFilename> files;
    files.reserve(listing.files.size());
    for (const auto& relative : listing.files)
        files.emplace_back(m_folder + relative);
    std::vector<std::wstring> directories;
    directories.reserve(listing.directories.size());
    for (const auto& relative : listing.directories)
        directories.push_back(m_folder + relative);

    m_files = std::move(files);
    m_relativeFiles = std::move(listing.files);
    m_directories = std::move(directories);
    m_relativeDirectories = std::move(listing.directories);
}

std::size_t CDirectory::GetFileCount() const { return m_files.size(); }

std::size_t CDirectory::GetDirectoryCount() const { return m_directories.size(); }

const CFilename* CDirectory::GetFirstFile() const { return m_files.empty() ? nullptr : &m_files.front(); }

const CFilename& CDirectory::operator[](std::size_t index) const { return m_files.at(index); }

const std::wstring& CDirectory::GetDirectory(std::size_t index) const { return m_directories.at(index); }
