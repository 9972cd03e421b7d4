// The version check's inputs and the choice of its source.
#include "version/CheckVersionDLL.h"

#include <quen/VerifyVersion.h>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "version/RegistryPath.h"
#include "version/VersionStrings.h"

#include <string_view>

namespace {

namespace platform = quen::platform;

void TrimWhiteSpace(std::wstring& text)
{
    std::size_t end = text.size();
    while (end > 0 && platform::IsSpace(text[end - 1]))
        --end;
    std::size_t start = 0;
    while (start < end && platform::IsSpace(text[start]))
        ++start;
    text = text.substr(start, end - start);
}

// Removes double quotes that enclose the whole text, as PathUnquoteSpacesW does.
void Unquote(std::wstring& text)
{
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = text.substr(1, text.size() - 2);
}

// Replaces every occurrence of `from` that starts after the first character;
// false when there is none.
bool ReplaceAfterFirst(std::wstring& text, std::wstring_view from, std::wstring_view to)
{
    std::size_t at = text.find(from, 1);
    if (at == std::wstring::npos)
        return false;
    for (; at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return true;
}

}  // namespace

CCheckVersionDLL::CCheckVersionDLL(const wchar_t* versionPath, const wchar_t* expectedVersion, std::wstring& result)
    : m_result(result)
{
    if (versionPath) {
        m_versionPath = platform::ExpandEnvVars(versionPath);
        Unquote(m_versionPath);
        m_versionPath = platform::ToUpper(m_versionPath);
        TrimWhiteSpace(m_versionPath);
    }
    if (expectedVersion && *expectedVersion) {
        m_expectedVersion = platform::ToUpper(platform::ExpandEnvVars(expectedVersion));
        quen::TrimLeadingNonAlnum(m_expectedVersion);
        quen::TrimTrailingNonAlnum(m_expectedVersion);
    }
    m_result.clear();
}

int32_t CCheckVersionDLL::CheckVersion()
{
    if (IsRegistryPath()) {
        // The 32-bit programs' view first, each lookup in turn; the first
        // match wins, else the last lookup's code stands.
        int32_t code = eVersionPresent;
        for (const auto view : {platform::RegView::View32, platform::RegView::View64}) {
            m_registryView = view;
            for (const auto lookup : {eLookupKeyName, eLookupDefaultValue, eLookupNamedValue}) {
                code = CheckRegistry(lookup);
                if (code == eVersionPresent)
                    return code;
            }
        }
        return code;
    }
    if (FileExists(m_versionPath))
        return CheckFile();
    const std::wstring other = OtherBitnessPath(m_versionPath);
    if (FileExists(other)) {
        m_versionPath = other;
        return CheckFile();
    }
    m_result = L"FILE NOT FOUND";
    return eVersionFileNotFound;
}

bool CCheckVersionDLL::IsRegistryPath() const { return quen::NamesRegistryRoot(m_versionPath); }

bool CCheckVersionDLL::FileExists(const std::wstring& path)
{
    platform::FileStatus status;
    return platform::GetFileStatus(path, status) && !status.isDirectory;
}

std::wstring CCheckVersionDLL::OtherBitnessPath(std::wstring path)
{
    if (!ReplaceAfterFirst(path, L":\\PROGRAM FILES (X86)\\", L":\\PROGRAM FILES\\"))
        ReplaceAfterFirst(path, L":\\PROGRAM FILES\\", L":\\PROGRAM FILES (X86)\\");
    if (!ReplaceAfterFirst(path, L":\\WINDOWS\\SYSTEM32\\", L":\\WINDOWS\\SYSWOW64\\"))
        ReplaceAfterFirst(path, L":\\WINDOWS\\SYSWOW64\\", L":\\WINDOWS\\SYSTEM32\\");
    return path;
}
