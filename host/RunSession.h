// One run as the user sees it: the installer's events turned into the
// progress view (and JSON lines with --json), disc requests answered, Ctrl-C
// turned into a cancel, and the summary at the end.
//
// The callbacks are plain functions, so one session at a time is current;
// they run on the installer's thread and take the session's lock.
#pragma once

#include "JsonEvents.h"
#include "ModuleOutcomes.h"
#include "ProgressView.h"
#include "RunOptions.h"

#include <quen/Installer.h>
#include <quen/Logging.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

namespace quen::host {

class DiscFolders;

class RunSession {
public:
    // `discs`: the disc folders to switch on each request; null to ask the
    // user instead. `json`: where the JSON lines go; null for none.
    RunSession(CInstaller& installer, const CInstallDB& database, const RunOptions& options, DiscFolders* discs,
               std::FILE* human, std::FILE* json, std::filesystem::path log);
    ~RunSession();
    RunSession(const RunSession&) = delete;
    RunSession& operator=(const RunSession&) = delete;

    // Installs, waits for the end of the run and its clean-up, prints the
    // summary; returns the ExitCode. Throws what Install throws.
    int Run();

private:
    static void OnProgress(void* data);
    static void OnStatus(void* data);
    static void OnSetupFailed(void* data);
    static void OnMedia(int index, bool* answer);
    static void OnFinished(void* data);
    static void OnOutcome(void* data);
    static void OnDetail(void* data);

    bool AnswerDisc(int disc);
    void Summarize(std::chrono::seconds elapsed);
    int ExitCode() const;
    std::string FailureReason() const;
    double Seconds() const;
    std::chrono::seconds Elapsed() const;

    static RunSession* s_current;

    CInstaller& m_installer;
    const CInstallDB& m_database;
    const RunOptions& m_options;
    DiscFolders* m_discs;
    std::filesystem::path m_log;
    std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    ProgressView m_view;
    std::optional<JsonEvents> m_json;
    std::shared_ptr<CCallbackLogSink> m_verbose;  // --verbose: the log on standard error
    ModuleOutcomes m_outcomes;
    std::wstring m_detailItem;
    uint64_t m_detailPercent = 0;
    bool m_finished = false;
    int m_status = CInstaller::eStatusCompleted;
    std::string m_working;  // the module being installed, or whose install failed
    std::string m_copying;  // the last item of the staging copy
    // Why the program itself gave a disc up, which ends the run as failed.
    std::string m_refusal;
    EBaseException m_failure{L"", L"", 0};
};

}  // namespace quen::host
