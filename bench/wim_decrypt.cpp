// Makes the unscrambled working copy of a scrambled WIM file of 1 GB with
// CWIMFile::Decrypt and copies the same file with `cp`, in the same run and
// on the same file system, and prints both times and their ratio.
//
//   wim_decrypt [runs] [folder]      (default 3 runs, in the system's temporary folder)
//
// The image is one file of random data captured without compression. Each
// copy is removed before the next run. It needs about 4 GB of free space.
#include <quen/Machine.h>
#include <quen/WIMFile.h>

#include "bench/BenchSupport.h"

namespace {

using namespace bench;

constexpr char kKey[] = "Amber Lighthouse";

void ScrambleHeader(const fs::path& file)
{
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    char header[16];
    stream.read(header, sizeof header);
    for (std::size_t i = 0; i < sizeof header; ++i)
        header[i] = static_cast<char>(header[i] ^ kKey[i]);
    stream.seekp(0);
    stream.write(header, sizeof header);
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const TempFolder work(argc > 2 ? fs::path(argv[2]) : fs::path());
    std::mt19937_64 random(11);
    fs::create_directories(work.Path() / "tree");
    WriteFile(work.Path() / "tree" / "recovery.bin", std::uintmax_t{1} << 30, true, random);
    const fs::path wim = work.Path() / "image.wim";
    Run("wimlib-imagex capture --compress=none " + Quoted(work.Path() / "tree") + " " + Quoted(wim) +
        " > /dev/null");
    fs::remove_all(work.Path() / "tree");
    ScrambleHeader(wim);
    std::printf("scrambled WIM file %.1f MB in %s\n", static_cast<double>(fs::file_size(wim)) / 1e6,
                work.Path().c_str());

    quen::SetMachineRoot(work.Path() / "machine");
    quen::MapDrive(L'S', work.Path());
    fs::create_directories(work.Path() / "ours");
    fs::create_directories(work.Path() / "theirs");
    const std::string command = "cp " + Quoted(wim) + " " + Quoted(work.Path() / "theirs") + "/";
    std::vector<double> oursTimes, theirTimes;
    for (int run = 0; run < runs; ++run) {
        const auto decrypt = [] { CWIMFile::Decrypt(L"S:\\image.wim", L"S:\\ours"); };
        const auto copy = [&command] { Run(command); };
        // Alternate which side goes first, so neither always meets a busier disk.
        if (run % 2 == 0) {
            oursTimes.push_back(Time(decrypt));
            theirTimes.push_back(Time(copy));
        } else {
            theirTimes.push_back(Time(copy));
            oursTimes.push_back(Time(decrypt));
        }
        if (fs::file_size(work.Path() / "ours" / "image.wim") != fs::file_size(wim)) {
            std::fprintf(stderr, "run %d: the working copy is incomplete\n", run + 1);
            return 1;
        }
        fs::remove(work.Path() / "ours" / "image.wim");
        fs::remove(work.Path() / "theirs" / "image.wim");
        std::printf("run %d: Decrypt %.3f s, cp %.3f s\n", run + 1, oursTimes.back(), theirTimes.back());
    }
    Summary("Decrypt", oursTimes, "cp", theirTimes);
    return 0;
}
