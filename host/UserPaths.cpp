#include "UserPaths.h"

#include <cctype>
#include <cwctype>
#include <map>
#include <mutex>

namespace quen::host {

namespace {

std::mutex g_mutex;
std::map<wchar_t, std::filesystem::path> g_drives;

// "X:\" at `at`, not inside a word.
bool DrivePathAt(const std::string& text, std::size_t at)
{
    return at + 2 < text.size() && std::isalpha(static_cast<unsigned char>(text[at])) && text[at + 1] == ':' &&
           text[at + 2] == '\\' && (at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1])));
}

}  // namespace

void RememberDrive(wchar_t letter, const std::filesystem::path& folder)
{
    std::lock_guard lock(g_mutex);
    g_drives[static_cast<wchar_t>(std::towupper(letter))] = folder;
}

std::vector<std::pair<wchar_t, std::filesystem::path>> RememberedDrives()
{
    std::lock_guard lock(g_mutex);
    return {g_drives.begin(), g_drives.end()};
}

std::string UserPaths(const std::string& text)
{
    std::lock_guard lock(g_mutex);
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (!DrivePathAt(text, i)) {
            out += text[i++];
            continue;
        }
        const auto drive = g_drives.find(static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(text[i]))));
        if (drive == g_drives.end()) {
            out += text[i++];
            continue;
        }
        std::string host = drive->second.string();
        if (host.empty() || host.back() != '/')
            host += '/';
        out += host;
        for (i += 3; i < text.size() && text[i] != '\n' && text[i] != '"' && text[i] != '\'' && !DrivePathAt(text, i);
             ++i)
            out += text[i] == '\\' ? '/' : text[i];
    }
    return out;
}

}  // namespace quen::host
