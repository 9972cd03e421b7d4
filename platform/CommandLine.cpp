// Command-line splitting as the Windows C runtime does it, so that a setup
// program sees the same arguments on every platform.
#include "platform/Process.h"

namespace quen::platform {

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine)
{
    std::vector<std::wstring> arguments;
    const wchar_t* p = commandLine.c_str();
    const auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };

    for (;;) {
        while (isBlank(*p))
            ++p;
        if (*p == L'\0')
            break;

        // Any character that is not a blank begins an argument, so "" alone
        // gives an empty one.
        std::wstring argument;
        bool inQuotes = false;
        for (;;) {
            std::size_t backslashes = 0;
            while (*p == L'\\') {
                ++p;
                ++backslashes;
            }
            bool literal = true;
            if (*p == L'"') {
                if (backslashes % 2 == 0) {
                    if (inQuotes && p[1] == L'"') {
                        ++p;  // "" inside quotes: one literal quote, still quoted
                    } else {
                        literal = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            argument.append(backslashes, L'\\');
            if (*p == L'\0' || (!inQuotes && isBlank(*p)))
                break;
            if (literal)
                argument.push_back(*p);
            ++p;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace quen::platform
