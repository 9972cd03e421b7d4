// IModuleHost: what a module installer asks of the installation it belongs
// to: the work-area folders, the limits of a setup program, the set of
// folders this run staged, and where it reports. CInstaller is one; a module
// installer sees its installer only through this.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct ModuleOutcomeEventData;

class IModuleHost {
public:
    // The folders as the installation holds them: the source and destination
    // as the host gave them, the work-area folders with a trailing backslash.
    virtual std::wstring SourceDir() const = 0;
    virtual std::wstring DestDir() const = 0;
    virtual std::wstring InstallsDir() const = 0;
    virtual std::wstring TempDir() const = 0;
    virtual std::wstring WIMDir() const = 0;
    virtual std::wstring MountDir() const = 0;
    virtual std::wstring ExtractDir() const = 0;
    // The source is a folder (true) or recovery discs (false).
    virtual bool HardDiskSource() const = 0;
    // Seconds a setup program may run (0: no limit), and the flag that ends it.
    virtual uint32_t SetupTimeout() const = 0;
    virtual const std::atomic<bool>* SetupStop() const = 0;

    // The folders this run staged, each with the disc it came from (a module
    // that lies on several discs is staged once from each into one folder).
    // TouchesStagedPath is true for a staged folder, one inside it or one
    // that holds it, whatever the disc.
    virtual bool IsStaged(int disc, const std::wstring& fullFolder) const = 0;
    virtual void MarkStaged(int disc, const std::wstring& fullFolder) = 0;
    virtual bool TouchesStagedPath(const std::wstring& fullFolder) const = 0;

    // A module starts installing, under its label.
    virtual void ReportInstalling(const std::wstring& label) = 0;
    // A setup program failed with `code`.
    virtual void ReportSetupFailed(const std::wstring& label, int32_t code) = 0;
    virtual void ReportDetailProgress(const std::wstring& item, uint64_t done, uint64_t total) = 0;
    virtual void ReportModuleOutcome(const ModuleOutcomeEventData& outcome) = 0;

protected:
    ~IModuleHost() = default;
};
