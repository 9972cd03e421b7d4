// Reaches the installer's private operations, as the module installers and
// the installer thread do.
#pragma once

#include <quen/Installer.h>

#include <string>
#include <vector>

struct CInstallerTestPeer {
    static std::wstring SourceDir(const CInstaller& i) { return i.SourceDir(); }
    static std::wstring DestDir(const CInstaller& i) { return i.DestDir(); }
    static std::wstring InstallsDir(const CInstaller& i) { return i.InstallsDir(); }
    static std::wstring TempDir(const CInstaller& i) { return i.TempDir(); }
    static std::wstring WIMDir(const CInstaller& i) { return i.WIMDir(); }
    static std::wstring MountDir(const CInstaller& i) { return i.MountDir(); }
    static std::wstring ExtractDir(const CInstaller& i) { return i.ExtractDir(); }
    static const std::wstring& ShutdownReason(const CInstaller& i) { return i.m_shutdownReason; }
    static uint32_t SetupDelay(const CInstaller& i) { return i.GetSetupDelay(); }
    static void Validate(CInstaller& i) { i.ValidateDirectories(); }
    static bool IsPathInstalled(const CInstaller& i, const std::wstring& p) { return i.IsPathInstalled(p); }
    static void SetPathInstalled(CInstaller& i, const std::wstring& p) { i.SetPathInstalled(p); }
    static std::size_t InstalledCount(const CInstaller& i) { return i.m_installedPaths.size(); }

    static void SetProgress(CInstaller& i, double value, double chunk)
    {
        i.m_progress = value;
        i.m_progressChunk = chunk;
    }
    static double Progress(const CInstaller& i) { return i.m_progress; }
    static void AddOneChunk(CInstaller& i) { i.AddOneChunk(); }
    static void FireProgress(CInstaller& i) { i.FireProgressEvent(); }
    static void FireSetupFailed(CInstaller& i, const std::wstring* text, int32_t code, const EBaseException* e)
    {
        i.FireSetupFailedEvent(text, code, e);
    }
    static void FireInstallStatus(CInstaller& i, CInstaller::EInstallAction action, const std::wstring& text)
    {
        i.FireInstallStatusEvent(action, text);
    }
    static bool FireMediaRequired(CInstaller& i, int index) { return i.FireRecoveryMediaRequiredEvent(index); }
    static void FireInstallFinished(CInstaller& i, CInstaller::EInstallStatus status, const EBaseException* e)
    {
        i.FireInstallFinishedEvent(status, e);
    }

    static void SetMediaType(CInstaller& i, const std::wstring& type) { i.m_mediaType = type; }
    // The lists Install fills; the caller keeps owning the installers and
    // empties the lists again before they go.
    static void SetInstallers(CInstaller& i, std::vector<CModuleInstaller*> apps,
                              std::vector<CModuleInstaller*> modules)
    {
        i.m_appInstallers = std::move(apps);
        i.m_moduleInstallers = std::move(modules);
    }
    static void RequestCancel(CInstaller& i) { i.m_cancelled = true; }
    static int32_t InstallStatus(const CInstaller& i) { return i.m_installStatus; }
    static bool BackgroundCancelled(const CInstaller& i) { return i.m_backgroundOperation.IsCancelled(); }
    static int32_t GetDiscInDrive(CInstaller& i) { return i.GetDiscInDrive(); }
    static bool DiscIsLoaded(CInstaller& i, int32_t disc) { return i.DiscIsLoaded(disc); }
    static bool CreateCopyList(CInstaller& i, CCopyList& list) { return i.CreateCopyList(list); }
    static bool CopyFiles(CInstaller& i, CCopyList& list) { return i.CopyFiles(list); }
    static void CopyAppsAndDrivers(CInstaller& i) { CInstaller::CopyAppsAndDrivers(&i); }
};
