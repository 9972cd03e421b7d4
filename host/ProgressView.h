// The human view of a run: on a terminal one bar that redraws itself (the
// percentage, the module being installed, the time so far) within the
// terminal's width, with messages above it; elsewhere, or when plain output
// is asked for, plain lines without control sequences, one per event.
// Quiet: the messages that matter alone (errors, disc prompts, the summary).
//
// Safe to call from any thread: the lines of the library's log shown in
// verbose mode come from the thread that logs.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace quen::host {

class ProgressView {
public:
    enum class Mode { Bar, Lines, Quiet };
    // `width`: the terminal's columns, for the bar.
    ProgressView(std::FILE* out, Mode mode, int width);

    void Progress(double percent, std::chrono::seconds elapsed);
    void Installing(const std::string& label, std::chrono::seconds elapsed);
    // The bytes of the copy or unpack going on, shown on the bar.
    void Detail(uint64_t done, uint64_t total, std::chrono::seconds elapsed);
    // A message on a line of its own.
    void Message(const std::string& text);
    // A message that quiet output leaves out.
    void Note(const std::string& text);
    // A line on standard error, never on the bar's line.
    void ErrorLine(const std::string& text);
    // Redraws the bar with the time so far; nothing without a bar.
    void Tick(std::chrono::seconds elapsed);
    // Ends the bar's line, so that what follows starts on a fresh one.
    void Close();

private:
    void Draw(std::chrono::seconds elapsed);
    void ClearBar();
    void Write(const std::string& text);

    std::mutex m_mutex;
    std::FILE* m_out;
    Mode m_mode;
    bool m_bar;
    int m_width;
    bool m_drawn = false;  // the bar stands on the current line
    bool m_shown = false;  // the bar has been drawn and not closed
    double m_percent = 0.0;
    std::string m_module;
    std::string m_detail;  // "12/40 MiB" while a long step goes on
};

// "mm:ss", or "h:mm:ss" from an hour on.
std::string Clock(std::chrono::seconds elapsed);

}  // namespace quen::host
