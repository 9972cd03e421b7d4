// CInstaller: which recovery disc is in the drive, and asking the host for
// the one a step needs.
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "foundation/WideString.h"

#include <chrono>
#include <climits>
#include <cwchar>

namespace {

// The number at the start of `text` as the C library reads it (blanks
// skipped, an optional sign, digits up to the first other character; none
// gives 0), held within the 32-bit range so that a long run of digits cannot
// wrap round to a disc that happens to be asked for.
int32_t LeadingNumber(const std::wstring& text)
{
    const long long value = std::wcstoll(text.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t CInstaller::GetDiscInDrive(bool quiet)
{
    // The disc names itself by one marker file: the media type followed by
    // its number.
    const std::wstring pattern = m_mediaType + L"*";
    CDirectory root(SourceDir(), pattern.c_str(), false, false);
    if (root.GetFileCount() != 1) {
        if (!quiet)
            quen::Log(eLogInfo) << L"Unable to get disc in drive.";
        return -1;
    }
    const std::wstring name = root.GetFirstFile()->GetName();
    const std::size_t digits = name.size() > m_mediaType.size() ? name.size() - m_mediaType.size() : 0;
    return LeadingNumber(name.substr(name.size() - digits));
}

bool CInstaller::DiscIsLoaded(int32_t disc)
{
    if (m_hardDiskSource)
        return true;

    quen::Log(eLogInfo) << L"Required disc: " << disc;
    if (GetDiscInDrive() == disc)
        return true;

    // The host answers yes once someone has put a disc in; it may be the
    // wrong one, so ask again until it is right, the host gives up or the
    // run is cancelled (from any thread, or from the request itself). A host
    // that answers yes at once must not flood the log nor work the tray:
    // after the first request the requests log nothing of their own, and
    // the drive is opened again (whose line is then the only one) at most
    // once a second.
    using Clock = std::chrono::steady_clock;
    bool repeat = false;
    Clock::time_point driveOpened = Clock::now();
    while (!m_cancelled) {
        const bool openDrive = !repeat || Clock::now() - driveOpened >= std::chrono::seconds(1);
        if (openDrive)
            driveOpened = Clock::now();
        const bool answered = FireRecoveryMediaRequiredEvent(disc - 1, repeat, openDrive);
        if (!answered || m_cancelled)
            break;
        if (GetDiscInDrive(repeat) == disc)
            return true;
        repeat = true;
    }

    quen::Log(eLogInfo) << L"Installation Cancelled\n";
    m_cancelled = true;
    m_installStatus = eStatusCancelled;
    m_backgroundOperation.Cancel();
    FireInstallFinishedEvent(eStatusCancelled, nullptr);
    return false;
}

std::wstring CInstaller::GetDiscList(const std::vector<int>& discs)
{
    std::wstring text;
    for (const int disc : discs) {
        if (!text.empty())
            text += L", ";
        text += quen::Format(L"%d", disc);
    }
    return text;
}
