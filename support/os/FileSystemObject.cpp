#include <quen/OsServices.h>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/WindowsPath.h"
#include "support/os/FileErrors.h"

namespace {

constexpr wchar_t kSource[] = L".\\FileSystemObject";

// Attribute bits that describe an object rather than being set on it.
constexpr uint32_t kDerivedBits = eAttrDirectory | eAttrNormal;

}  // namespace

CFileSystemObject::CFileSystemObject() = default;

CFileSystemObject::CFileSystemObject(const std::wstring& path)
    : m_folder(PathAddSlash(quen::os::FullPathOrThrow(path, kSource, __LINE__)))
{
}

CFileSystemObject::~CFileSystemObject() = default;

std::wstring CFileSystemObject::PathAddSlash(const std::wstring& path)
{
    if (path.empty())
        return path;
    const std::size_t last = path.find_last_not_of(quen::platform::kPathSeparators);
    if (last == std::wstring::npos)
        return L"\\";
    return path.substr(0, last + 1) + L'\\';
}

bool CFileSystemObject::SetAttributes(const std::wstring& path, uint32_t attributes)
{
    std::wstring full;
    return quen::platform::FullPath(path, full) && quen::platform::SetAttributes(full, attributes);
}

void CFileSystemObject::SetPath(const std::wstring& folder)
{
    m_folder = PathAddSlash(quen::os::FullPathOrThrow(folder, kSource, __LINE__));
}

std::wstring CFileSystemObject::GetPath() const { return m_folder; }

std::wstring CFileSystemObject::GetFullPath() const { return m_folder; }

void CFileSystemObject::PathAdd(const std::wstring& part)
{
    m_folder = PathAddSlash(quen::os::FullPathOrThrow(m_folder + part, kSource, __LINE__));
}

bool CFileSystemObject::SetNormal() const { return SetAttributes(GetFullPath(), eAttrNormal); }

bool CFileSystemObject::SetHidden() const
{
    std::wstring full;
    if (!quen::platform::FullPath(GetFullPath(), full))
        return false;
    const uint32_t attributes = quen::platform::GetAttributes(full);
    if (attributes == quen::platform::InvalidAttributes)
        return false;
    return quen::platform::SetAttributes(full, (attributes & ~kDerivedBits) | eAttrHidden);
}
