#include "Console.h"

#include <io.h>

#include <atomic>
#include <csignal>
#include <iostream>

namespace quen::host {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int)
{
    g_interrupted = true;
    // The system resets the handler before calling it.
    std::signal(SIGINT, OnInterrupt);
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void CatchInterrupts() { std::signal(SIGINT, OnInterrupt); }

bool Interrupted() { return g_interrupted; }

bool ReadAnswer(std::string& line)
{
    line.clear();
    if (g_interrupted || !std::getline(std::cin, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return !g_interrupted;
}

}  // namespace quen::host
