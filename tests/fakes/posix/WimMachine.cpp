#include "fakes/posix/WimMachine.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace quen::test {

std::wstring WimMachine::MakeWim(const std::wstring& path, const std::vector<WimImage>& images,
                                 const WimOptions& options)
{
    const auto host = Host(path);
    std::filesystem::create_directories(host.parent_path());
    WriteWim(host, images, options);
    return path;
}

WimImage WimMachine::ModuleImage(const std::string& releaseId, const std::string& setup)
{
    WimImage image;
    image.files = {{"setup.cmd", "@echo " + setup + "\r\n"}, {"data/readme.txt", "read me"}};
    if (!releaseId.empty())
        image.properties = {{"RELEASEID", releaseId}};
    return image;
}

std::vector<std::pair<std::string, std::string>> WimMachine::FilesIn(const std::wstring& folder) const
{
    std::vector<std::pair<std::string, std::string>> files;
    const auto root = Host(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        files.emplace_back(entry.path().lexically_relative(root).string(), content.str());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace quen::test
