#include "platform/personality/MountTable.h"

#include <algorithm>

namespace quen::platform::personality {
namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// One field of a line, with \ooo escapes decoded.
std::string Decode(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', i);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, end - start));
        i = end;
    }
    return fields;
}

bool Holds(std::string_view mountPoint, std::string_view folder)
{
    if (folder.substr(0, mountPoint.size()) != mountPoint)
        return false;
    return folder.size() == mountPoint.size() || mountPoint == "/" || folder[mountPoint.size()] == '/';
}

}  // namespace

std::vector<Mount> ParseMountInfo(std::string_view text)
{
    // id parent major:minor root mount-point options [optional...] - type source super-options
    std::vector<Mount> mounts;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::vector<std::string_view> fields = Fields(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));

        std::size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-")
            ++separator;
        if (separator + 2 >= fields.size())
            continue;
        mounts.push_back({Decode(fields[4]), Decode(fields[separator + 1]), Decode(fields[separator + 2])});
    }
    return mounts;
}

const Mount* MountHolding(const std::vector<Mount>& mounts, std::string_view folder)
{
    const Mount* best = nullptr;
    for (const Mount& mount : mounts) {
        if (Holds(mount.mountPoint, folder) && (!best || mount.mountPoint.size() >= best->mountPoint.size()))
            best = &mount;
    }
    return best;
}

bool IsOpticalDeviceNode(std::string_view path)
{
    constexpr std::string_view prefix = "/dev/sr";
    if (path.size() <= prefix.size() || path.substr(0, prefix.size()) != prefix)
        return false;
    for (const char c : path.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

}  // namespace quen::platform::personality
