// A host for whole runs: records an installer's events as lines in firing
// order ("progress 21.6", "status 2 Office", "failed Office 3", "media 1",
// "finished 1 <message>"); module outcomes ("outcome Pack 4 R-2 R-1") and
// detail progress in lists of their own. Hooks act as a host would, on the
// run's thread: cancel, answer a disc request, block, throw, destroy.
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
    ~RunHost() { s_current = nullptr; }
    RunHost(const RunHost&) = delete;
    RunHost& operator=(const RunHost&) = delete;

    std::vector<std::wstring> Events() const { return Copy(m_events); }
    // The events whose line starts with `kind` ("progress", "finished", ...).
    std::vector<std::wstring> Events(const std::wstring& kind) const;

    std::vector<std::wstring> Outcomes() const { return Copy(m_outcomes); }
    struct Detail {
        std::wstring item;
        uint64_t done;
        uint64_t total;
    };
    std::vector<Detail> Details() const { return Copy(m_details); }

    // Called with the event's line after it is recorded. The disc request's
    // answer is `mediaAnswer`'s result (no hook: false).
    std::function<void(const std::wstring& line)> onEvent;
    std::function<bool(int index)> mediaAnswer;
    std::function<void(const Detail&)> onDetail;

private:
    template <typename T>
    T Copy(const T& list) const
    {
        std::lock_guard lock(m_mutex);
        return list;
    }
    static void Record(const std::wstring& line);

    static inline RunHost* s_current = nullptr;
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_events;
    std::vector<std::wstring> m_outcomes;
    std::vector<Detail> m_details;
};

}  // namespace quen::test
