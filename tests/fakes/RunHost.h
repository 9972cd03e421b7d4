// A host for whole runs: it registers the five callbacks of an installer and
// records each event as a line, in firing order:
//
//   "progress 21.6"   "status 0 "   "status 2 Office"   "failed Office 3"
//   "media 1"         "finished 1 FI app file not found."
//
// Module outcomes ("outcome Pack 4 R-2 R-1": label, outcome, code or
// release IDs) and detail progress are kept apart, in their own lists.
//
// A test may hook each event (on the run's thread) to act as a host would:
// cancel, answer a disc request, block, throw, destroy the installer.
#pragma once

#include <quen/Installer.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quen::test {

class RunHost {
public:
    // One host at a time: callbacks are plain functions.
    explicit RunHost(CInstaller& installer);
    ~RunHost();
    RunHost(const RunHost&) = delete;
    RunHost& operator=(const RunHost&) = delete;

    std::vector<std::wstring> Events() const;
    // The events whose line starts with `kind` ("progress", "finished", ...).
    std::vector<std::wstring> Events(const std::wstring& kind) const;

    std::vector<std::wstring> Outcomes() const;
    struct Detail {
        std::wstring item;
        uint64_t done;
        uint64_t total;
    };
    std::vector<Detail> Details() const;

    // Called with the event's line after it is recorded. The disc request's
    // answer is `mediaAnswer`'s result (no hook: false).
    std::function<void(const std::wstring& line)> onEvent;
    std::function<bool(int index)> mediaAnswer;
    std::function<void(const Detail&)> onDetail;

private:
    static void Record(const std::wstring& line);
    static void OnProgress(void* data);
    static void OnStatus(void* data);
    static void OnSetupFailed(void* data);
    static void OnFinished(void* data);
    static void OnMedia(int index, bool* answer);
    static void OnOutcome(void* data);
    static void OnDetail(void* data);

    static RunHost* s_current;
    CInstaller* m_installer;
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_events;
    std::vector<std::wstring> m_outcomes;
    std::vector<Detail> m_details;
};

}  // namespace quen::test
