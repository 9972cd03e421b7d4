// The machine and the optical drives held for a run.
#include "installer/RunHolds.h"

#include <quen/Logging.h>
#include <quen/OsServices.h>

namespace quen::detail {

void MachineHold::Engage(const std::wstring& reason)
{
    m_held = true;
    quen::Log(eLogDebug) << L"[CInstaller] Keeping the machine awake for the run.";
    COsServices::DisableScreenSaver(true);
    COsServices::DisableStandby(true);
    COsServices::DisableHibernation(true);
    COsServices::DisableShutdown(true, reason.c_str());
}

void MachineHold::Release()
{
    if (!m_held)
        return;
    m_held = false;
    quen::Log(eLogDebug) << L"[CInstaller] Giving the machine back.";
    COsServices::DisableScreenSaver(false);
    COsServices::DisableStandby(false);
    COsServices::DisableHibernation(false);
    COsServices::DisableShutdown(false, nullptr);
}

AutoplayHold::~AutoplayHold()
{
    try {
        Restore();
    } catch (const EBaseException& e) {
        quen::Log(eLogError) << L"Unable to restore autoplay: " << e;
    }
}

void AutoplayHold::Suppress()
{
    m_burner = std::dynamic_pointer_cast<IMediaBurner>(COSDependentFactory::GetInstance().GetPlugin(L"MediaBurner"));
    if (!m_burner) {
        quen::Log(eLogWarning) << L"No MediaBurner plug-in: autoplay is left as it is.";
        return;
    }
    try {
        m_burner->GetDriveList(m_drives);
        for (const std::wstring& drive : m_drives) {
            m_burner->SelectDrive(drive);
            m_burner->SuppressAutoplay();
            m_suppressed = true;
        }
    } catch (const ELibraryException&) {
        quen::Log(eLogError) << L"[CInstaller::InstallerThread]: failed to suppress autoplay.";
    }
}

void AutoplayHold::Restore()
{
    if (!m_suppressed)
        return;
    m_suppressed = false;
    for (const std::wstring& drive : m_drives) {
        m_burner->SelectDrive(drive);
        m_burner->RestoreAutoplay();
    }
}

}  // namespace quen::detail
