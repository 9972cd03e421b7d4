#include "ProgressView.h"

#include <algorithm>

namespace quen::host {

namespace {

constexpr int kBarWidth = 30;
// Long labels are cut so that the bar keeps to one line of a narrow terminal.
constexpr std::size_t kLabelWidth = 28;

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

ProgressView::ProgressView(std::FILE* out, bool bar) : m_out(out), m_bar(bar) {}

void ProgressView::Progress(double percent, std::chrono::seconds elapsed)
{
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
    if (label == m_module)
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
    ClearBar();
    std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

// Brings the bar back below a message, too.
void ProgressView::Tick(std::chrono::seconds elapsed)
{
    if (m_bar && m_shown)
        Draw(elapsed);
}

void ProgressView::Close()
{
    if (m_drawn)
        std::fputc('\n', m_out);
    m_drawn = false;
    m_shown = false;
    std::fflush(m_out);
}

void ProgressView::Draw(std::chrono::seconds elapsed)
{
    const int filled = static_cast<int>(m_percent / 100.0 * kBarWidth + 0.5);
    std::string label = m_module;
    if (label.size() > kLabelWidth) {
        std::size_t cut = kLabelWidth - 3;
        while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80)
            --cut;  // never inside a UTF-8 character
        label = label.substr(0, cut) + "...";
    }
    label.resize(std::max(label.size(), kLabelWidth), ' ');
    std::fprintf(m_out, "\r[%s%s] %3.0f%%  %s  %s%s%s\x1b[K",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kBarWidth - filled), '.').c_str(), m_percent, label.c_str(),
                 Clock(elapsed).c_str(), m_detail.empty() ? "" : "  ", m_detail.c_str());
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
