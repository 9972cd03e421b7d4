// The version of a file: its version resource, a line of its text, or its
// modification date.
#include "version/CheckVersionDLL.h"

#include <quen/VerifyVersion.h>

#include "foundation/WideString.h"
#include "platform/AnsiTextFile.h"
#include "platform/Clock.h"
#include "platform/Dates.h"
#include "platform/FileSystem.h"
#include "platform/FileVersion.h"
#include "platform/Text.h"
#include "version/VersionStrings.h"

#include <algorithm>

namespace platform = quen::platform;

int32_t CCheckVersionDLL::CheckFile()
{
    const bool dateLike = IsDateLike();
    if (!platform::HasVersionResource(m_versionPath)) {
        const int32_t code = CheckTextFile();
        if (code == eVersionPresent || !dateLike)
            return code;
        return CheckFileDate();
    }
    if (dateLike)
        return CheckFileDate();
    // "1, 2, 3, 4" and "1_2_3_4" mean 1.2.3.4.
    if (m_expectedVersion.find(L'.') == std::wstring::npos) {
        std::erase(m_expectedVersion, L' ');
        quen::SeparatorsToDots(m_expectedVersion);
    }
    quen::StripLeadingZerosBeforeDigits(m_expectedVersion);
    return CheckFileVersion();
}

// A date the parser accepts, with no dot (so no version number) and long
// enough not to be a short version ("1/2" is not a date here).
bool CCheckVersionDLL::IsDateLike() const
{
    platform::CalendarDate date;
    return m_expectedVersion.size() >= 5 && m_expectedVersion.find(L'.') == std::wstring::npos &&
           platform::ParseDate(m_expectedVersion, date);
}

int32_t CCheckVersionDLL::CheckFileVersion()
{
    if (!FileExists(m_versionPath))
        return eVersionFileNotFound;
    platform::FileVersion version;
    if (!platform::ReadFileVersion(m_versionPath, version))
        return eFileVersionDiffers;
    m_result = quen::Format(L"%d.%d.%d.%d", version.major, version.minor, version.build, version.revision);
    if (m_expectedVersion == m_result)
        return eVersionPresent;
    // 1.2 is 1.2.0.0.
    std::wstring found = m_result;
    quen::StripTrailingDotZeros(found);
    quen::StripTrailingDotZeros(m_expectedVersion);
    return found == m_expectedVersion ? eVersionPresent : eFileVersionDiffers;
}

int32_t CCheckVersionDLL::CheckTextFile()
{
    if (!FileExists(m_versionPath))
        return eVersionFileNotFound;
    platform::AnsiTextFile file;
    if (!file.Open(m_versionPath))
        return eNoMatchingTextLine;
    // A line is trimmed, then compared whole, so a longer text cannot match:
    // four bytes for each expected character hold it in any code page, and
    // the rest of a longer line is skipped unread.
    const std::size_t maxBytes = 4 * m_expectedVersion.size();
    const auto isSpace = [](wchar_t c) { return platform::IsSpace(c); };
    std::wstring line;
    while (file.ReadLine(line, maxBytes)) {
        const auto first = std::find_if_not(line.begin(), line.end(), isSpace);
        const auto last = std::find_if_not(line.rbegin(), line.rend(), isSpace).base();
        if (first < last && platform::ToUpper(std::wstring_view(&*first, static_cast<std::size_t>(last - first))) ==
                                m_expectedVersion)
            return eVersionPresent;
    }
    return eNoMatchingTextLine;
}

// The file's own local date against the expected date, to the day. The
// result text shows the modification time as month/day/year h:m:s.
int32_t CCheckVersionDLL::CheckFileDate()
{
    if (!FileExists(m_versionPath))
        return eVersionFileNotFound;
    platform::FileStatus status;
    platform::LocalTime modified;
    if (!platform::GetFileStatus(m_versionPath, status) || !platform::ToLocalTime(status.modifiedUnixSeconds, modified))
        return eFileVersionDiffers;
    m_result = quen::Format(L"%d/%d/%d %d:%d:%d", modified.month, modified.day, modified.year, modified.hour,
                            modified.minute, modified.second);
    platform::CalendarDate expected;
    if (!platform::ParseDate(m_expectedVersion, expected))
        return eFileVersionDiffers;
    return expected.day == modified.day && expected.month == modified.month && expected.year == modified.year
               ? eVersionPresent
               : eFileVersionDiffers;
}
