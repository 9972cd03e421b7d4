#include <quen/OsServices.h>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "support/os/FileErrors.h"
#include "support/os/Removal.h"

namespace {

constexpr wchar_t kSource[] = L".\\Filename";

// Splits a full path after its last backslash: "C:\a\b.txt" into "C:\a\" and
// "b.txt"; a path that ends with a backslash has an empty name.
void SplitFullPath(const std::wstring& full, std::wstring& folder, std::wstring& name)
{
    const std::size_t slash = full.find_last_of(L'\\');
    folder = full.substr(0, slash + 1);
    name = full.substr(slash + 1);
}

}  // namespace

CFilename::CFilename() = default;

CFilename::CFilename(const std::wstring& path)
{
    SplitFullPath(quen::os::FullPathOrThrow(path, kSource, __LINE__), m_folder, m_name);
}

bool CFilename::Exists(const std::wstring& path)
{
    std::wstring full;
    quen::platform::FileStatus status;
    return quen::platform::FullPath(path, full) && quen::platform::GetFileStatus(full, status) &&
           !status.isDirectory;
}

bool CFilename::Exists() const { return Exists(GetFullPath()); }

bool CFilename::Delete(const std::wstring& path)
{
    std::wstring full;
    return quen::platform::FullPath(path, full) && quen::os::RemoveFileForced(full);
}

void CFilename::SetPath(const std::wstring& folder)
{
    m_folder = PathAddSlash(quen::os::FullPathOrThrow(folder, kSource, __LINE__));
}

std::wstring CFilename::GetFullPath() const { return m_folder + m_name; }

void CFilename::PathAdd(const std::wstring& part)
{
    SplitFullPath(quen::os::FullPathOrThrow(PathAddSlash(GetFullPath()) + part, kSource, __LINE__), m_folder,
                  m_name);
}

std::wstring CFilename::GetName() const
{
    const std::size_t dot = m_name.find_last_of(L'.');
    return dot == std::wstring::npos ? m_name : m_name.substr(0, dot);
}

std::wstring CFilename::GetFullName() const { return m_name; }
