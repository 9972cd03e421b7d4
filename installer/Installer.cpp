// CInstaller: construction and configuration.
#include <quen/Installer.h>
#include <quen/ModuleInstaller.h>

#include "installer/AbandonedRuns.h"
#include "installer/RunState.h"

const wchar_t* const CInstaller::StrQuenRoot = L"Quen\\";
const wchar_t* const CInstaller::StrQuenInstalls = L"Installs\\";
const wchar_t* const CInstaller::StrQuenTemp = L"Temp\\";
const wchar_t* const CInstaller::StrQuenWIMs = L"WIMs\\";
const wchar_t* const CInstaller::StrQuenMount = L"Mount\\";
const wchar_t* const CInstaller::StrQuenExtracted = L"Extracted\\";
const wchar_t* const CInstaller::StrQuenHdRcvIni = L"qenhdrcv.ini";
const wchar_t* const CInstaller::StrPath = L"Path";
const wchar_t* const CInstaller::StrDiscIndex = L"Index";
const wchar_t* const CInstaller::StrInstalled = L"Installed";
const wchar_t* const CInstaller::StrTrue = L"true";
const wchar_t* const CInstaller::StrFalse = L"false";

namespace {

std::wstring TextOrEmpty(const std::wstring* text) { return text ? *text : std::wstring(); }

}  // namespace

CInstaller::CInstaller(CInstallDB& database, const std::wstring* shutdownReason)
    : m_database(database),
      m_shutdownReason(shutdownReason ? *shutdownReason
                                      : std::wstring(L"Please don't shutdown the computer during the installation."))
{
    m_workRoot = CFileSystemObject::PathAddSlash(COsServices::GetWindowsDirectoryW()) + StrQuenTemp + StrQuenRoot;
    m_tempDir = m_workRoot + StrQuenTemp;
    m_installsDir = m_workRoot + StrQuenInstalls;
    m_wimDir = m_workRoot + StrQuenWIMs;
    m_mountDir = m_workRoot + StrQuenMount;
    m_extractDir = m_workRoot + StrQuenExtracted;
}

CInstaller::~CInstaller()
{
    // A run that is still going uses the members cleared below: stop it and
    // wait for it first. Destroyed from one of its own callbacks, it cannot
    // wait for the thread it runs on: the run is told to leave everything of
    // this object alone from here on.
    const bool running = m_backgroundOperation.IsRunning();
    if (running)
        Cancel();
    if (m_run && m_run->eventThread == std::this_thread::get_id()) {
        m_run->abandoned = true;
        // Before the run's thread has started (a callback inside Install)
        // there is nothing left to wait for.
        if (running)
            quen::detail::AbandonedRuns::Add(std::this_thread::get_id());
    } else {
        m_backgroundOperation.Wait();
    }
    DeleteInstallers();
    m_installedPaths.clear();
    m_description.Clear();
}

void CInstaller::SetFlags(bool hardDiskSource, bool secondFlag)
{
    m_hardDiskSource = hardDiskSource;
    m_secondFlag = secondFlag;
    m_flagsSet = true;
}

void CInstaller::SetPaths(const std::wstring* sourceDir, const std::wstring* destDir, const std::wstring* thirdPath,
                          const std::wstring* mountDir)
{
    m_sourceDir = TextOrEmpty(sourceDir);
    m_destDir = TextOrEmpty(destDir);
    m_thirdPath = TextOrEmpty(thirdPath);
    m_mountDir = TextOrEmpty(mountDir);
    m_pathsSet = true;
}
