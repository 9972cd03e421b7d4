#include "RunSession.h"

#include "Console.h"
#include "DiscFolders.h"
#include "DiscMarker.h"
#include "ExitCodes.h"
#include "Machine.h"
#include "RunLog.h"
#include "Text.h"
#include "UserPaths.h"

#include <quen/Logging.h>

#include <cctype>

namespace quen::host {

RunSession* RunSession::s_current = nullptr;

namespace {

const char* Outcome(int status)
{
    switch (status) {
    case CInstaller::eStatusCompleted: return "completed";
    case CInstaller::eStatusFailed: return "failed";
    default: return "cancelled";
    }
}

ProgressView::Mode ViewMode(const RunOptions& options, std::FILE* human)
{
    if (options.quiet)
        return ProgressView::Mode::Quiet;
    const bool bar = IsTerminal(human) && !options.plain && !DumbTerminal();
    return bar ? ProgressView::Mode::Bar : ProgressView::Mode::Lines;
}

}  // namespace

RunSession::RunSession(CInstaller& installer, const CInstallDB& database, const RunOptions& options,
                       DiscFolders* discs, std::FILE* human, std::FILE* json, std::filesystem::path log)
    : m_installer(installer),
      m_database(database),
      m_options(options),
      m_discs(discs),
      m_log(std::move(log)),
      m_start(std::chrono::steady_clock::now()),
      m_view(human, ViewMode(options, human), TerminalWidth(human)),
      m_outcomes(database.Applications(), database.Modules())
{
    if (json)
        m_json.emplace(json);
    if (options.verbose) {
        m_verbose = std::make_shared<CCallbackLogSink>([this](const LogRecord& record) {
            if (record.level <= eLogInfo)
                m_view.ErrorLine(Utf8(record.Format()));
        });
        CLoggingFactory::AddSink(m_verbose);
    }
    s_current = this;
    installer.RegisterForProgressEvent(OnProgress);
    installer.RegisterForInstallStatusEvent(OnStatus);
    installer.RegisterForSetupFailedEvent(OnSetupFailed);
    installer.RegisterForRecoveryMediaRequiredEvent(OnMedia);
    installer.RegisterForInstallFinishedEvent(OnFinished);
    installer.RegisterForModuleOutcomeEvent(OnOutcome);
    installer.RegisterForDetailProgressEvent(OnDetail);
}

RunSession::~RunSession()
{
    if (m_verbose)
        CLoggingFactory::RemoveSink(m_verbose);
    m_installer.UnregisterProgressEvent(OnProgress);
    m_installer.UnregisterInstallStatusEvent(OnStatus);
    m_installer.UnregisterSetupFailedEvent(OnSetupFailed);
    m_installer.UnregisterRecoveryMediaRequiredEvent(OnMedia);
    m_installer.UnregisterInstallFinishedEvent(OnFinished);
    m_installer.UnregisterModuleOutcomeEvent(OnOutcome);
    m_installer.UnregisterDetailProgressEvent(OnDetail);
    s_current = nullptr;
}

int RunSession::Run()
{
    CatchInterrupts();
    const std::wstring media = Wide(m_options.mediaType);
    m_installer.Install(&media, m_database.Applications(), m_database.Modules());

    bool cancelling = false;
    bool endingSetup = false;
    std::unique_lock lock(m_mutex);
    while (!m_finished) {
        m_changed.wait_for(lock, std::chrono::milliseconds(200));
        const int interrupts = Interrupts();
        if (interrupts >= 1 && !cancelling) {
            cancelling = true;
            m_view.Note("Cancelling: the module being installed finishes first (Ctrl-C again ends its setup "
                        "program now)...");
            m_installer.Cancel();
        }
        if (interrupts >= 2 && !endingSetup) {
            endingSetup = true;
            m_view.Message("Cancelling now: ending the running setup program");
            LogLine(eLogWarning, "Second interrupt: ending the running setup program");
            m_outcomes.EndingSetupNow();
            m_installer.CancelNow();
        }
        m_view.Tick(Elapsed());
    }
    lock.unlock();
    // The work area is removed after InstallFinished: wait for it.
    m_installer.Wait();
    lock.lock();
    m_view.Close();
    Summarize(Elapsed());
    return ExitCode();
}

void RunSession::OnProgress(void* data)
{
    RunSession& self = *s_current;
    const double percent = *static_cast<const double*>(data);
    std::lock_guard lock(self.m_mutex);
    self.m_view.Progress(percent, self.Elapsed());
    if (self.m_json)
        self.m_json->Progress(self.Seconds(), percent);
}

void RunSession::OnStatus(void* data)
{
    RunSession& self = *s_current;
    const auto& status = *static_cast<const InstallStatusEventData*>(data);
    std::lock_guard lock(self.m_mutex);
    switch (status.action) {
    case CInstaller::eActionStarted: self.m_view.Note("Installation started"); break;
    case CInstaller::eActionCopied: self.m_view.Note("Every module is staged; installing"); break;
    case CInstaller::eActionInstalling:
        self.m_working = Utf8(status.text);
        self.m_view.Installing(self.m_working, self.Elapsed());
        break;
    }
    if (self.m_json)
        self.m_json->Status(self.Seconds(), status.action, status.text);
}

void RunSession::OnSetupFailed(void* data)
{
    RunSession& self = *s_current;
    const auto& failure = *static_cast<const SetupFailedEventData*>(data);
    std::lock_guard lock(self.m_mutex);
    const std::string signal = SignalName(failure.returnCode);
    std::string message = "Setup of " + Utf8(failure.text) + " ";
    if (self.m_outcomes.EndedByUser(failure.returnCode))
        message += "ended by the user";
    else if (self.m_options.setupTimeout > 0 && failure.returnCode == ModuleOutcomes::kSetupTimedOut)
        message += "timed out after " + std::to_string(self.m_options.setupTimeout) + " s";
    else if (signal.empty())
        message += "failed with exit code " + std::to_string(failure.returnCode);
    else
        message += "failed killed by " + signal;
    if (!failure.exception.Message().empty())
        message += ": " + UserPaths(Utf8(failure.exception.Message()));
    self.m_view.Message(message);
    LogLine(eLogWarning, message);
    if (self.m_json)
        self.m_json->SetupFailed(self.Seconds(), failure.text, failure.returnCode, failure.exception);
}

void RunSession::OnOutcome(void* data)
{
    RunSession& self = *s_current;
    const auto& outcome = *static_cast<const ModuleOutcomeEventData*>(data);
    std::lock_guard lock(self.m_mutex);
    self.m_outcomes.Reported(outcome);
    if (outcome.outcome == CInstaller::eModuleFailed)
        self.m_working = Utf8(outcome.label);
    if (self.m_json)
        self.m_json->ModuleOutcome(self.Seconds(), outcome);
}

void RunSession::OnDetail(void* data)
{
    RunSession& self = *s_current;
    const auto& detail = *static_cast<const DetailProgressEventData*>(data);
    std::lock_guard lock(self.m_mutex);
    self.m_view.Detail(detail.bytesDone, detail.bytesTotal, self.Elapsed());
    self.m_copying = Utf8(detail.item);
    // A long copy reports often: dashboards get a line per percent of it.
    const uint64_t percent = detail.bytesTotal == 0 ? 100 : detail.bytesDone * 100 / detail.bytesTotal;
    if (!self.m_json || (detail.item == self.m_detailItem && percent == self.m_detailPercent))
        return;
    self.m_detailItem = detail.item;
    self.m_detailPercent = percent;
    self.m_json->DetailProgress(self.Seconds(), detail.item, detail.bytesDone, detail.bytesTotal);
}

void RunSession::OnMedia(int index, bool* answer)
{
    RunSession& self = *s_current;
    std::lock_guard lock(self.m_mutex);
    *answer = self.AnswerDisc(index + 1);
    if (self.m_json)
        self.m_json->DiscRequest(self.Seconds(), index + 1, *answer);
}

// Under the lock: the bar stays still while the user answers.
bool RunSession::AnswerDisc(int disc)
{
    const std::string number = std::to_string(disc);
    if (m_discs) {
        // The library asks again for as long as the wrong disc is in: a
        // folder that is not the disc asked for is never offered.
        if (static_cast<std::size_t>(disc) > m_discs->Count()) {
            m_refusal = "disc " + number + " is asked for, but only " + std::to_string(m_discs->Count()) +
                        " disc folders were given";
        } else if (!HoldsMarker(m_discs->Folder(disc), m_options.mediaType, disc)) {
            m_refusal = "wrong disc folder: " + WrongDisc(m_discs->Folder(disc), m_options.mediaType, disc);
        } else {
            m_discs->Insert(disc);
            const std::string folder = std::filesystem::absolute(m_discs->Folder(disc)).string();
            m_view.Note("Disc " + number + " put in: " + folder);
            LogLine(eLogInfo, "Disc " + number + " put in: drive S: is " + folder);
            return true;
        }
        m_view.Message("quen-install: " + m_refusal + "; giving the disc up");
        LogLine(eLogError, m_refusal + "; giving the disc up");
        return false;
    }
    for (;;) {
        m_view.Message("Insert disc " + number + " (marker file " + m_options.mediaType + number + ") into " +
                       m_options.drive.string() + " and press Enter, or answer n to give up:");
        std::string line;
        if (!ReadAnswer(line) || (!line.empty() && std::tolower(static_cast<unsigned char>(line[0])) == 'n')) {
            m_view.Message("Disc " + number + " given up");
            return false;
        }
        if (HoldsMarker(m_options.drive, m_options.mediaType, disc))
            return true;
        m_view.Message("Not the disc asked for: " + WrongDisc(m_options.drive, m_options.mediaType, disc));
    }
}

void RunSession::OnFinished(void* data)
{
    RunSession& self = *s_current;
    const auto& finished = *static_cast<const InstallFinishedEventData*>(data);
    std::lock_guard lock(self.m_mutex);
    self.m_finished = true;
    self.m_status = finished.status;
    self.m_failure = finished.exception;
    if (self.m_json)
        self.m_json->Finished(self.Seconds(), finished.status, finished.exception);
    self.m_changed.notify_all();
}

void RunSession::Summarize(std::chrono::seconds elapsed)
{
    m_view.Message("Summary");
    for (const std::string& line : m_outcomes.Lines())
        m_view.Message("  " + line);
    const std::vector<std::string> records = m_outcomes.RegistryLines();
    if (!records.empty()) {
        m_view.Message("Registry records (HKLM\\" + Utf8(ModuleOutcomes::kRecordsKey) + "):");
        for (const std::string& line : records)
            m_view.Message("  " + line);
    }
    std::string result = std::string("Result: ") + (m_refusal.empty() ? Outcome(m_status) : "failed");
    const std::vector<std::string> notInstalled = m_outcomes.NotInstalledLines();
    if (!notInstalled.empty()) {
        const std::size_t count = notInstalled.size();
        result += ", " + std::to_string(count) + (count == 1 ? " module" : " modules") + " not installed";
    }
    result += " in " + Clock(elapsed) + " (exit code " + std::to_string(ExitCode()) + ")";
    m_view.Message(result);
    for (const std::string& line : notInstalled)
        m_view.Message("  " + line);
    std::string reason;
    if (!m_refusal.empty())
        reason = m_refusal;
    else if (m_status == CInstaller::eStatusFailed)
        reason = FailureReason();
    if (!reason.empty())
        m_view.Message("Reason: " + reason);

    for (const std::string& line : m_outcomes.Lines())
        LogLine(eLogInfo, "Outcome: " + line);
    for (const std::string& line : notInstalled)
        LogLine(eLogWarning, "Not installed: " + line);
    const int level = ExitCode() == kExitFailed ? eLogError : notInstalled.empty() ? eLogInfo : eLogWarning;
    LogLine(level, result + (reason.empty() ? "" : ". Reason: " + reason));
    for (const std::string& line : MachineLines())
        m_view.Message(line);
    m_view.Message("Log: " + m_log.string());
}

// The module the run was working on, the exception's message and the
// sentence its text adds about a file, with the user's paths.
std::string RunSession::FailureReason() const
{
    std::string reason = Readable(m_failure);
    if (!m_working.empty())
        reason = m_working + ": " + reason;
    else if (!m_copying.empty())
        reason += " (while copying " + m_copying + ")";
    return UserPaths(reason);
}

int RunSession::ExitCode() const
{
    if (!m_refusal.empty())
        return kExitFailed;
    switch (m_status) {
    case CInstaller::eStatusCompleted:
        return m_outcomes.NotInstalledLines().empty() ? kExitCompleted : kExitNotInstalled;
    case CInstaller::eStatusFailed: return kExitFailed;
    default: return kExitCancelled;
    }
}

double RunSession::Seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

std::chrono::seconds RunSession::Elapsed() const
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_start);
}

}  // namespace quen::host
