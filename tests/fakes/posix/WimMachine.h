// A test machine with real WIM files on its drives.
#pragma once

#include "fakes/TestMachine.h"
#include "fakes/posix/WimBuilder.h"

#include <string>
#include <vector>

namespace quen::test {

class WimMachine : public TestMachine {
protected:
    // Writes a WIM file at a Windows path and returns the path.
    std::wstring MakeWim(const std::wstring& path, const std::vector<WimImage>& images, const WimOptions& options = {});
    // An image of a module: a setup program, a data file in a folder, and a
    // release ID when one is given.
    static WimImage ModuleImage(const std::string& releaseId = std::string(), const std::string& setup = "setup");
    // The files below a folder, by relative path ('/' between folders) and content.
    std::vector<std::pair<std::string, std::string>> FilesIn(const std::wstring& folder) const;
};

}  // namespace quen::test
