// CWIMFile: values of the first image's description, read straight from the
// end of the file. The last 32,768 bytes are read at once and searched in
// memory, which finds what a search reading 12 bytes at each position from
// the end backwards would find, with one read instead of thousands.
#include <quen/WIMFile.h>

#include "platform/RawFile.h"
#include "platform/Text.h"
#include "wim/WimTail.h"
#include "wim/WimSupport.h"

#include <algorithm>

using quen::platform::RawFile;

bool CWIMFile::GetWimTag(const wchar_t* path, const wchar_t* tag, std::wstring& out)
{
    RawFile file;
    uint64_t size = 0;
    if (!path || !file.Open(path, RawFile::Access::Read, RawFile::Share::Read) || !file.GetSize(size))
        return false;
    const std::size_t tailSize = static_cast<std::size_t>(std::min<uint64_t>(size, quen::wim::kTailBytes));
    std::string tail(tailSize, '\0');
    std::size_t got = 0;
    if (!file.ReadAt(size - tailSize, tail.data(), tailSize, got) || got != tailSize)
        return false;
    const std::size_t start = quen::wim::FindLastXmlStart(tail);
    if (start == std::string::npos)
        return false;
    // The text begins just after the byte-order mark.
    const std::string_view text = std::string_view(tail).substr(start + 2);
    return quen::wim::FirstImageValue(text, quen::platform::ToUpper(quen::wim::Text(tag)), out);
}

bool CWIMFile::MatchsReleaseID(const wchar_t* path, const wchar_t* releaseId, std::wstring& out)
{
    std::wstring value;
    if (!GetWimTag(path, L"RELEASEID", value))
        return false;
    out = value;
    return !value.empty() && releaseId && *releaseId && quen::platform::EqualsNoCase(value, releaseId);
}
