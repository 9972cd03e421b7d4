// Text files in the system's ANSI code page, read as the C runtime reads a
// file opened in text mode: bytes become wide characters through the code
// page (Windows: CP_ACP; POSIX personality: Windows-1252).
#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace quen::platform {

// Wide text of bytes in the ANSI code page.
std::wstring FromAnsiCodePage(std::string_view bytes);

// Reads the lines of a text file in bounded memory, however long a line is.
class AnsiTextFile {
public:
    AnsiTextFile();
    ~AnsiTextFile();

    // False (and the last error) when the file cannot be opened for reading.
    bool Open(const std::wstring& path);

    // The next line's text: the line up to its first carriage return or line
    // feed, without the ASCII blanks (space, tab, vertical tab, form feed) at
    // either end. A text longer than `maxBytes` is not read into memory: it
    // gives an empty `line`, and the rest of it is skipped. False at the end
    // of the file.
    bool ReadLine(std::wstring& line, std::size_t maxBytes);

private:
    // The next byte of the file, or -1 at its end.
    int NextByte();

    std::ifstream m_in;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_size = 0;
    std::size_t m_at = 0;
    std::string m_bytes;
};

}  // namespace quen::platform
