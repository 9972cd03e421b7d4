// Extracts image 1 of a WIM file of about 140 MB with CWIMFile::ExtractImage
// and with `wimlib-imagex apply`, in the same run and on the same file
// system, and prints both times and their ratio.
//
//   wim_extract [runs] [folder]      (default 3 runs, in the system's temporary folder)
//
// The image holds 600 small files and 40 large ones, half of the data random
// and half repetitive text, captured with wimlib-imagex's default (LZX)
// compression. Each extraction goes to a fresh folder; all are removed at the
// end only. A run needs about 2 x 330 MB.
#include <quen/Machine.h>
#include <quen/WIMFile.h>

#include "bench/BenchSupport.h"

namespace {

using namespace bench;

void BuildTree(const fs::path& tree)
{
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::uintmax_t> smallSize(1 << 10, 96 << 10);
    for (int i = 0; i < 600; ++i) {
        const fs::path dir = tree / ("dir" + std::to_string(i % 12));
        fs::create_directories(dir);
        WriteFile(dir / ("file" + std::to_string(i) + ".dat"), smallSize(random), i % 2 == 0, random);
    }
    for (int i = 0; i < 40; ++i)
        WriteFile(tree / ("large" + std::to_string(i) + ".bin"), 7 << 20, i % 2 == 0, random);
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const TempFolder work(argc > 2 ? fs::path(argv[2]) : fs::path());
    BuildTree(work.Path() / "tree");
    const fs::path wim = work.Path() / "image.wim";
    Run("wimlib-imagex capture " + Quoted(work.Path() / "tree") + " " + Quoted(wim) + " > /dev/null");
    const std::uintmax_t treeBytes = TreeBytes(work.Path() / "tree");
    std::printf("image: %.1f MB of files; WIM file %.1f MB in %s\n", static_cast<double>(treeBytes) / 1e6,
                static_cast<double>(fs::file_size(wim)) / 1e6, work.Path().c_str());

    quen::SetMachineRoot(work.Path() / "machine");
    quen::MapDrive(L'S', work.Path());
    std::vector<double> oursTimes, theirTimes;
    for (int run = 0; run < runs; ++run) {
        const std::string ours = "ours" + std::to_string(run);
        const fs::path theirs = work.Path() / ("apply" + std::to_string(run));
        const std::wstring target = L"S:\\" + std::wstring(ours.begin(), ours.end());
        const auto extract = [&target] {
            CWIMFile file(L"S:\\image.wim", nullptr, nullptr);
            file.ExtractImage(target.c_str(), 1);
        };
        const std::string command = "wimlib-imagex apply " + Quoted(wim) + " 1 " + Quoted(theirs) + " > /dev/null";
        const auto apply = [&command] { Run(command); };
        // Alternate which side goes first, so neither always meets a busier disk.
        if (run % 2 == 0) {
            oursTimes.push_back(Time(extract));
            theirTimes.push_back(Time(apply));
        } else {
            theirTimes.push_back(Time(apply));
            oursTimes.push_back(Time(extract));
        }
        if (TreeBytes(work.Path() / ours) != treeBytes || TreeBytes(theirs) != treeBytes) {
            std::fprintf(stderr, "run %d: an extraction is incomplete\n", run + 1);
            return 1;
        }
        std::printf("run %d: ExtractImage %.3f s, wimlib-imagex apply %.3f s\n", run + 1, oursTimes.back(),
                    theirTimes.back());
    }
    Summary("ExtractImage", oursTimes, "wimlib-imagex apply", theirTimes);
    return 0;
}
