#include "Console.h"

#include <cstdlib>
#include <string>

namespace quen::host {

int TerminalWidth(std::FILE* stream)
{
    if (const int columns = WindowColumns(stream); columns > 0)
        return columns;
    const char* columns = std::getenv("COLUMNS");
    const int width = columns ? std::atoi(columns) : 0;
    return width > 0 ? width : 80;
}

bool DumbTerminal()
{
    const char* term = std::getenv("TERM");
    return term && std::string(term) == "dumb";
}

}  // namespace quen::host
