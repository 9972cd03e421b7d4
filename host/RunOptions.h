// What `quen-install run` is asked to do.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quen::host {

struct RunOptions {
    std::filesystem::path database;
    // Exactly one recovery source: a folder, a drive that holds numbered
    // discs one at a time, or the numbered discs' folders (Linux).
    std::filesystem::path source;
    std::filesystem::path drive;
    std::vector<std::filesystem::path> discs;
    std::string mediaType = "QRD";
    std::filesystem::path destination;
    std::filesystem::path machineRoot;
    std::filesystem::path log = "quen-install.log";
    // Seconds a setup program may run before it is ended; 0: no limit.
    uint32_t setupTimeout = 0;
    bool json = false;
    bool plain = false;    // no progress bar, no control sequences
    bool quiet = false;    // errors, disc prompts and the summary only
    bool verbose = false;  // the library's log lines at Info on standard error
    // The whole command line, for the log.
    std::string commandLine;
};

}  // namespace quen::host
