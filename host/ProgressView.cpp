#include "ProgressView.h"

#include <algorithm>

namespace quen::host {

namespace {

constexpr int kBarWidth = 30;
constexpr int kLabelWidth = 28;

bool Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Columns of a UTF-8 text, one per character.
int Columns(const std::string& text)
{
    int columns = 0;
    for (char c : text)
        columns += Continuation(c) ? 0 : 1;
    return columns;
}

// `text` in exactly `width` columns: cut with "..." or padded.
std::string Fit(const std::string& text, int width)
{
    if (width <= 0)
        return {};
    if (Columns(text) <= width)
        return text + std::string(static_cast<std::size_t>(width - Columns(text)), ' ');
    const int keep = width > 3 ? width - 3 : width;
    std::size_t end = 0;
    for (int columns = 0; end < text.size(); ++end) {
        if (!Continuation(text[end]) && columns++ == keep)
            break;
    }
    return text.substr(0, end) + std::string(width > 3 ? "..." : "");
}

}  // namespace

std::string Clock(std::chrono::seconds elapsed)
{
    const long long total = elapsed.count();
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld", total / 60, total % 60);
    return text;
}

ProgressView::ProgressView(std::FILE* out, Mode mode, int width)
    : m_out(out), m_mode(mode), m_bar(mode == Mode::Bar), m_width(width)
{
}

void ProgressView::Progress(double percent, std::chrono::seconds elapsed)
{
    std::lock_guard lock(m_mutex);
    if (m_mode == Mode::Quiet)
        return;
    m_percent = std::clamp(percent, 0.0, 100.0);
    if (m_bar)
        Draw(elapsed);
    else
        std::fprintf(m_out, "[%3.0f%%] %s\n", m_percent, Clock(elapsed).c_str());
    std::fflush(m_out);
}

void ProgressView::Installing(const std::string& label, std::chrono::seconds elapsed)
{
    // A module may report its start twice (an exe/batch package once more
    // when its program starts): one line is enough.
    std::lock_guard lock(m_mutex);
    if (label == m_module || m_mode == Mode::Quiet)
        return;
    m_module = label;
    if (m_bar)
        Draw(elapsed);
    else
        std::fprintf(m_out, "Installing %s\n", label.c_str());
    std::fflush(m_out);
}

void ProgressView::Detail(uint64_t done, uint64_t total, std::chrono::seconds elapsed)
{
    // Only the bar shows it: as lines it would flood the output.
    std::lock_guard lock(m_mutex);
    if (!m_bar)
        return;
    constexpr uint64_t kMiB = uint64_t{1} << 20;
    std::string detail;
    if (total >= kMiB && done < total)
        detail = std::to_string(done / kMiB) + "/" + std::to_string(total / kMiB) + " MiB";
    if (detail == m_detail)
        return;
    m_detail = detail;
    Draw(elapsed);
}

void ProgressView::Message(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    Write(text);
}

void ProgressView::Note(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_mode != Mode::Quiet)
        Write(text);
}

void ProgressView::ErrorLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    ClearBar();
    std::fflush(m_out);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void ProgressView::Write(const std::string& text)
{
    ClearBar();
    std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

// Brings the bar back below a message, too.
void ProgressView::Tick(std::chrono::seconds elapsed)
{
    std::lock_guard lock(m_mutex);
    if (m_bar && m_shown)
        Draw(elapsed);
}

void ProgressView::Close()
{
    std::lock_guard lock(m_mutex);
    if (m_drawn)
        std::fputc('\n', m_out);
    m_drawn = false;
    m_shown = false;
    std::fflush(m_out);
}

// One line one column narrower than the terminal, so that it never wraps:
// the label gives way first, then the bar.
void ProgressView::Draw(std::chrono::seconds elapsed)
{
    const std::string tail = "  " + Clock(elapsed) + (m_detail.empty() ? "" : "  " + m_detail);
    const int room = m_width - 1;
    int bar = kBarWidth;
    // "[" bar "] " "100%" "  " label tail
    int label = std::min(kLabelWidth, room - (bar + 7) - 2 - Columns(tail));
    if (label < 8) {
        bar = std::max(0, bar - (8 - label));
        label = std::max(0, room - (bar + 7) - 2 - Columns(tail));
    }
    const int filled = static_cast<int>(m_percent / 100.0 * bar + 0.5);
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3.0f%%", m_percent);
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(bar - filled), '.') + "] " + percent;
    if (label > 0)
        line += "  " + Fit(m_module, label);
    line += tail;
    line = Fit(line, room);
    std::fprintf(m_out, "\r%s\x1b[K", line.c_str());
    m_drawn = true;
    m_shown = true;
    std::fflush(m_out);
}

void ProgressView::ClearBar()
{
    if (m_drawn)
        std::fputs("\r\x1b[K", m_out);
    m_drawn = false;
}

}  // namespace quen::host
