// Text files in the system's ANSI code page, read as the C runtime reads a
// file opened in text mode: bytes become wide characters through the code
// page (Windows: CP_ACP; POSIX personality: Windows-1252).
#pragma once

#include <fstream>
#include <string>
#include <string_view>

namespace quen::platform {

// Wide text of bytes in the ANSI code page.
std::wstring FromAnsiCodePage(std::string_view bytes);

// Reads a text file line by line.
class AnsiTextFile {
public:
    // False (and the last error) when the file cannot be opened for reading.
    bool Open(const std::wstring& path);
    // The next line, without its line feed, whatever its length. False at the
    // end of the file.
    bool ReadLine(std::wstring& line);

private:
    std::ifstream m_in;
    std::string m_bytes;
};

}  // namespace quen::platform
