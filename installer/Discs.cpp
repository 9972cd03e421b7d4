// The run's steps: which recovery disc is in the drive, and asking the host
// for the one a step needs.
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "foundation/WideString.h"
#include "installer/RunSteps.h"

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

namespace quen::detail {

int32_t RunSteps::GetDiscInDrive(const CInstaller& installer, bool quiet)
{
    // The disc names itself by one marker file: the media type followed by
    // its number.
    const std::wstring& mediaType = installer.m_mediaType;
    const std::wstring pattern = mediaType + L"*";
    CDirectory root(installer.m_sourceDir, pattern.c_str(), false, false);
    if (root.GetFileCount() != 1) {
        if (!quiet)
            quen::Log(eLogInfo) << L"Unable to get disc in drive.";
        return -1;
    }
    const std::wstring name = root.GetFirstFile()->GetName();
    const std::size_t digits = name.size() > mediaType.size() ? name.size() - mediaType.size() : 0;
    return LeadingNumber(name.substr(name.size() - digits));
}

bool RunSteps::DiscIsLoaded(CInstaller& installer, int32_t disc)
{
    if (installer.m_hardDiskSource)
        return true;

    quen::Log(eLogInfo) << L"Required disc: " << disc;
    if (GetDiscInDrive(installer) == disc)
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
    while (!installer.m_cancelled) {
        const bool openDrive = !repeat || Clock::now() - driveOpened >= std::chrono::seconds(1);
        if (openDrive)
            driveOpened = Clock::now();
        const bool answered = RequestMedia(installer, disc - 1, repeat, openDrive);
        if (!answered || installer.m_cancelled)
            break;
        if (GetDiscInDrive(installer, repeat) == disc)
            return true;
        repeat = true;
    }

    quen::Log(eLogInfo) << L"Installation Cancelled\n";
    installer.m_cancelled = true;
    installer.m_installStatus = CInstaller::eStatusCancelled;
    installer.m_backgroundOperation.Cancel();
    installer.FireInstallFinishedEvent(CInstaller::eStatusCancelled, nullptr);
    return false;
}

}  // namespace quen::detail

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
