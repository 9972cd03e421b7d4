#include <quen/InstallDB.h>
#include <quen/Logging.h>

#include "platform/Text.h"
#include "support/installdb/ReadDocument.h"
#include "support/installdb/RecoveryIniParser.h"

#include <algorithm>

namespace {

// The form in which entries and paths compare: blanks around, leading and
// trailing backslashes dropped, either slash a backslash. Case is left to the
// comparison.
std::wstring Normalised(std::wstring_view path)
{
    std::wstring text(path);
    std::replace(text.begin(), text.end(), L'/', L'\\');
    const auto keep = [](wchar_t c) { return c != L'\\' && !quen::platform::IsSpace(c); };
    const auto first = std::find_if(text.begin(), text.end(), keep);
    const auto last = std::find_if(text.rbegin(), text.rend(), keep).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

bool Holds(std::wstring_view entry, std::wstring_view path, bool matchBelow)
{
    if (quen::platform::EqualsNoCase(entry, path))
        return true;
    return matchBelow && entry.size() > path.size() && entry[path.size()] == L'\\' &&
           quen::platform::EqualsNoCase(entry.substr(0, path.size()), path);
}

}  // namespace

CQuenHDRecoveryIni::CQuenHDRecoveryIni() = default;
CQuenHDRecoveryIni::~CQuenHDRecoveryIni() = default;

bool CQuenHDRecoveryIni::Open(const std::wstring& path)
{
    const auto bytes = quen::installdb::ReadDocument(path, quen::installdb::RecoveryIniDocument);
    if (!bytes) {
        m_mediaTypes.clear();
        quen::Log(eLogWarning) << quen::installdb::RecoveryIniDocument << L" " << path
                               << L" does not exist; no disc holds any path.";
        return false;
    }
    m_mediaTypes = quen::installdb::ParseRecoveryIni(*bytes, path);
    return true;
}

void CQuenHDRecoveryIni::Clear() { m_mediaTypes.clear(); }

bool CQuenHDRecoveryIni::MediaTypeContains(const std::wstring& mediaType, const std::wstring& path,
                                           std::vector<int>* discs, bool matchBelow) const
{
    if (discs)
        discs->clear();
    const std::wstring wanted = Normalised(path);
    const auto media = std::find_if(m_mediaTypes.begin(), m_mediaTypes.end(), [&](const MediaType& m) {
        return quen::platform::EqualsNoCase(m.name, mediaType);
    });
    if (wanted.empty() || media == m_mediaTypes.end())
        return false;
    bool found = false;
    for (const auto& disc : media->discs) {
        const bool holds = std::any_of(disc.entries.begin(), disc.entries.end(), [&](const std::wstring& entry) {
            return Holds(Normalised(entry), wanted, matchBelow);
        });
        if (!holds)
            continue;
        found = true;
        if (discs)
            discs->push_back(disc.number);
    }
    return found;
}
