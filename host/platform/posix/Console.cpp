#include "Console.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace quen::host {

namespace {

std::atomic<int> g_interrupts{0};

extern "C" void OnInterrupt(int) { ++g_interrupts; }

}  // namespace

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

int WindowColumns(std::FILE* stream)
{
    winsize size{};
    return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

std::FILE* TakeStandardOutput()
{
    std::fflush(stdout);
    const int kept = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (kept < 0)
        return stdout;
    dup2(STDERR_FILENO, STDOUT_FILENO);
    std::FILE* stream = fdopen(kept, "w");
    return stream ? stream : stdout;
}

std::string SignalName(int32_t exitCode)
{
    // The library's form: 0xC0000000 | the signal's number.
    const auto code = static_cast<uint32_t>(exitCode);
    if ((code & 0xFFFFFF00u) != 0xC0000000u)
        return {};
    const char* name = sigabbrev_np(static_cast<int>(code & 0xFFu));
    return name ? std::string("SIG") + name : "signal " + std::to_string(code & 0xFFu);
}

void CatchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Interrupts() { return g_interrupts; }

// Polls instead of blocking in read: the signal may reach another thread
// than the one waiting for the answer.
bool ReadAnswer(std::string& line)
{
    line.clear();
    for (;;) {
        if (g_interrupts > 0)
            return false;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, 100);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        if (c != '\r')
            line += c;
    }
}

}  // namespace quen::host
