// CWIMFile: loading, applying, extracting and mounting images, reference
// files, and the file's image count and information.
#include <quen/WIMFile.h>

#include <quen/Logging.h>
#include <quen/OsServices.h>

#include "foundation/WideString.h"
#include "platform/ByteProgress.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/Wimgapi.h"
#include "wim/ExtractProgress.h"
#include "wim/WimSupport.h"

using quen::Log;
using quen::wim::kSource;
using quen::wim::Text;
namespace wimgapi = quen::platform;

namespace {

// True when `folder` is one of the folders that hold `file`, at any depth:
// by name (full paths, whatever the case) or, where both exist, by identity,
// so that a link or a second drive letter for the folder is seen too.
bool HoldsFile(const std::wstring& folder, const std::wstring& file)
{
    std::wstring target, inner;
    if (folder.empty() || file.empty() || !quen::platform::FullPath(folder, target) ||
        !quen::platform::FullPath(file, inner))
        return false;
    target = CFileSystemObject::PathAddSlash(target);
    for (std::wstring parent = CDirectory::GetParentDirectory(inner); !parent.empty();) {
        if (quen::platform::EqualsNoCase(parent, target) || quen::platform::IsSameFile(parent, target))
            return true;
        const std::wstring next = CDirectory::GetParentDirectory(parent);
        if (next == parent)
            return false;
        parent = next;
    }
    return false;
}

// Extracting or mounting empties the folder first: one that holds the open
// package, or its working copy, would take the package with it.
void ThrowIfHoldsPackage(const wchar_t* directory, const std::wstring& package, const std::wstring& scrambled)
{
    for (const std::wstring* file : {&package, &scrambled}) {
        if (!HoldsFile(Text(directory), *file))
            continue;
        const std::wstring message =
            quen::Format(L"The directory %s holds the WIM file %s; it is not emptied.", Text(directory), *file);
        Log(eLogError) << message;
        throw ELibraryException(message, kSource, __LINE__);
    }
}

}  // namespace

CWIMFile& CWIMFile::LoadImageW(uint32_t index)
{
    ThrowIfNotOpen();
    Log(eLogInfo) << L"Loading image " << m_path << L" index " << index;
    void* image = wimgapi::WIMLoadImage(m_handle, index);
    if (!image) {
        Log(eLogError) << L"Unable to load WIM Image." << L": " << m_path;
        quen::wim::LogFailureDetail();
        throw EFileException(L"Unable to load WIM Image.", kSource, __LINE__, EFileException::ImageApiFailed, m_path);
    }
    // The index prints as a 32-bit signed number, as "%ld" prints it on Windows.
    const std::wstring name = quen::Format(L"%s[%ld]", m_path, static_cast<int32_t>(index));
    m_loadedImages.push_back(std::unique_ptr<CWIMFile>(new CWIMFile(name, image)));
    return *m_loadedImages.back();
}

void CWIMFile::ApplyImage(const wchar_t* directory, uint32_t flags)
{
    ThrowIfNotOpen();
    Log(eLogInfo) << L"Applying image: " << m_path << L" Flags: " << flags;
    if (wimgapi::WIMApplyImage(m_handle, directory, flags))
        return;
    const std::wstring error = quen::wim::FailureText();
    Log(eLogError) << L"Unable to apply image: " << m_path << L"  Error: " << error;
    quen::wim::LogFailureDetail();
    throw ELibraryException(error, kSource, __LINE__);
}

void CWIMFile::ExtractImage(const wchar_t* directory, uint32_t index)
{
    Log(eLogInfo) << L"Extracting Image from WIM file to: " << Text(directory) << L"  Index: " << index;
    ThrowIfHoldsPackage(directory, m_path, m_scrambledPath);
    CFileSystemObject::SetAttributes(m_path, eAttrNormal);
    // An image applied over files that could not be removed would leave them
    // mixed in with its own.
    if (!CDirectory::EnsureEmptyDirExists(Text(directory))) {
        ELibraryException error(quen::Format(L"Unable to empty the directory %s.", Text(directory)), kSource,
                                __LINE__);
        error.SetErrorCode(quen::platform::LastError());
        throw error;
    }
    SetTemporaryPath(m_tempPath.c_str());
    CWIMFile& image = LoadImageW(index);
    std::wstring description;
    quen::platform::FileStatus package;
    if (quen::platform::ByteProgressScope::Active()) {
        image.GetImageInformation(description);
        quen::platform::GetFileStatus(m_path, package);
    }
    const quen::wim::ExtractProgress progress(m_handle, m_scrambledPath.empty() ? m_path : m_scrambledPath,
                                              description, package.size);
    try {
        image.ApplyImage(directory, 0);
    } catch (const EBaseException&) {
        // A watcher that threw stopped the extraction: its exception is the story.
        quen::platform::ByteProgressScope::RethrowPending();
        throw;
    }
}

void CWIMFile::MountImage(const wchar_t* directory, uint32_t index)
{
    ThrowIfHoldsPackage(directory, m_path, m_scrambledPath);
    try {
        // One mount per object: an earlier one is released, not left behind.
        if (!m_mountDir.empty()) {
            wimgapi::WIMUnmountImage(m_mountDir.c_str(), m_path.c_str(), m_mountedIndex, false);
            m_mountDir.clear();
        }
        CFileSystemObject::SetAttributes(Text(directory), eAttrNormal);
        if (CDirectory::Exists(Text(directory))) {
            const CDirectory existing(Text(directory), L"*", true, true);
            existing.Delete();
        }
        CDirectory::Create(Text(directory));
        SetTemporaryPath(m_tempPath.c_str());
        Log(eLogInfo) << L"Mounting WIM: " << m_path << L" on directory " << Text(directory);
        RawMountImage(directory, index);
    } catch (const CFileException&) {
        // The folder could not be read or removed: the object closes, and the
        // caller learns why.
        Close();
        throw;
    }
}

void CWIMFile::RawMountImage(const wchar_t* directory, uint32_t index)
{
    if (wimgapi::WIMMountImage(directory, m_path.c_str(), index, m_tempPath.c_str())) {
        m_mountDir = Text(directory);
        m_mountedIndex = index;
        return;
    }
    const std::wstring error = quen::wim::FailureText();
    quen::wim::LogFailureDetail();
    throw ELibraryException(quen::Format(L"Unable to mount image %s.", error), kSource, __LINE__);
}

void CWIMFile::SetReferenceFile(const wchar_t* referencePath, uint32_t flags)
{
    ThrowIfNotOpen();
    Log(eLogInfo) << L"Setting reference file for image: " << m_path << L"  To: " << Text(referencePath)
                  << L"  Flags: " << flags;
    if (wimgapi::WIMSetReferenceFile(m_handle, referencePath, flags))
        return;
    const std::wstring error = quen::wim::FailureText();
    Log(eLogError) << L"Unable to set reference file for " << m_path << L".  Error: " << error;
    quen::wim::LogFailureDetail();
    throw ELibraryException(error, kSource, __LINE__);
}

bool CWIMFile::GetImageInformation(std::wstring& out)
{
    ThrowIfNotOpen();
    Log(eLogInfo) << L"Getting image information for: " << m_path;
    void* buffer = nullptr;
    uint32_t size = 0;
    if (!wimgapi::WIMGetImageInformation(m_handle, &buffer, &size) || !buffer)
        return false;
    // UTF-16 up to the terminating zero, and never past the size given.
    out = quen::FromZeroTerminatedUtf16Le({static_cast<const char*>(buffer), size});
    wimgapi::LocalFree(buffer);
    return true;
}

uint32_t CWIMFile::GetImageCount()
{
    ThrowIfNotOpen();
    return wimgapi::WIMGetImageCount(m_handle);
}
