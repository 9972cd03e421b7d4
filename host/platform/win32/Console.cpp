#include "Console.h"

#include <io.h>

#include <atomic>
#include <csignal>
#include <string>
#include <iostream>

namespace quen::host {

namespace {

std::atomic<int> g_interrupts{0};

extern "C" void OnInterrupt(int)
{
    ++g_interrupts;
    // The system resets the handler before calling it.
    std::signal(SIGINT, OnInterrupt);
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

// The console's own width would need the console API; $COLUMNS says it where
// a user sets it.
int WindowColumns(std::FILE*) { return 0; }

// The C runtime's _dup2 onto descriptor 1 also sets the process's standard
// output handle, which is what the programs it starts are given.
std::FILE* TakeStandardOutput()
{
    std::fflush(stdout);
    const int kept = _dup(_fileno(stdout));
    if (kept < 0)
        return stdout;
    _dup2(_fileno(stderr), _fileno(stdout));
    std::FILE* stream = _fdopen(kept, "w");
    return stream ? stream : stdout;
}

// Programs end by their exit code on Windows, never by a signal.
std::string SignalName(int32_t) { return {}; }

void CatchInterrupts() { std::signal(SIGINT, OnInterrupt); }

int Interrupts() { return g_interrupts; }

bool ReadAnswer(std::string& line)
{
    line.clear();
    if (g_interrupts > 0 || !std::getline(std::cin, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return g_interrupts == 0;
}

}  // namespace quen::host
