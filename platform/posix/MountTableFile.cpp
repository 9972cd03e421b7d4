// POSIX personality: where the mount table is read from.
#include "platform/posix/MountTableFile.h"

#include <fstream>
#include <mutex>
#include <sstream>

namespace quen::platform::posix {
namespace {

std::mutex g_mutex;
std::filesystem::path g_file;

}  // namespace

std::vector<personality::Mount> ReadMountTable()
{
    std::filesystem::path file;
    {
        std::lock_guard lock(g_mutex);
        file = g_file.empty() ? std::filesystem::path("/proc/self/mountinfo") : g_file;
    }
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return personality::ParseMountInfo(text.str());
}

void SetMountTableFile(const std::filesystem::path& path)
{
    std::lock_guard lock(g_mutex);
    g_file = path;
}

}  // namespace quen::platform::posix
