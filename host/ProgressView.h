// The human view of a run: on a terminal one bar that redraws itself (the
// percentage, the module being installed, the time so far) with messages
// above it; elsewhere plain lines, one per event.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quen::host {

class ProgressView {
public:
    // `bar`: draw the bar (the stream is a terminal).
    ProgressView(std::FILE* out, bool bar);

    void Progress(double percent, std::chrono::seconds elapsed);
    void Installing(const std::string& label, std::chrono::seconds elapsed);
    // The bytes of the copy or unpack going on, shown on the bar.
    void Detail(uint64_t done, uint64_t total, std::chrono::seconds elapsed);
    // A message on a line of its own.
    void Message(const std::string& text);
    // Redraws the bar with the time so far; nothing without a bar.
    void Tick(std::chrono::seconds elapsed);
    // Ends the bar's line, so that what follows starts on a fresh one.
    void Close();

private:
    void Draw(std::chrono::seconds elapsed);
    void ClearBar();

    std::FILE* m_out;
    bool m_bar;
    bool m_drawn = false;  // the bar stands on the current line
    bool m_shown = false;  // the bar has been drawn and not closed
    double m_percent = 0.0;
    std::string m_module;
    std::string m_detail;  // "12/40 MiB" while a long step goes on
};

// "mm:ss", or "h:mm:ss" from an hour on.
std::string Clock(std::chrono::seconds elapsed);

}  // namespace quen::host
