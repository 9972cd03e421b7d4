// Copies a tree of about 400 MB (2,000 small files in nested folders and a few
// large ones) with CDirectory::CopyDirectoryHere and with `cp -a`, in the same
// run and on the same file system, and prints both times and their ratio.
//
//   tree_copy [runs]        (default 3)
//
// The tree lives in a temporary host folder, mapped to drive S: of a temporary
// machine root. Each copy goes to a fresh folder (drive T: for ours) and all
// are removed at the end only: removing a tree just before copying makes the
// file system's inode allocation slower for whichever copy comes next, which
// swamps the difference being measured. A run of N needs N * 2 * 420 MB.
#include <quen/Machine.h>
#include <quen/OsServices.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kSmallFiles = 2000;
constexpr int kFoldersPerLevel = 8;  // 8 folders of 8 subfolders each hold the small files
constexpr int kLargeFiles = 4;
constexpr std::uintmax_t kLargeSize = 84ull << 20;

class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        m_path = fs::temp_directory_path() / ("quen-bench-" + std::to_string(random()));
        fs::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

void WriteRandomFile(const fs::path& path, std::uintmax_t size, std::mt19937_64& random)
{
    std::vector<std::uint64_t> block(1 << 14);
    std::ofstream out(path, std::ios::binary);
    for (std::uintmax_t written = 0; written < size;) {
        for (auto& word : block)
            word = random();
        const auto chunk = std::min<std::uintmax_t>(size - written, block.size() * sizeof(std::uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(chunk));
        written += chunk;
    }
}

std::uintmax_t BuildTree(const fs::path& tree)
{
    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::uintmax_t> smallSize(1 << 10, 64 << 10);
    std::uintmax_t total = 0;
    for (int i = 0; i < kSmallFiles; ++i) {
        const int folder = i % (kFoldersPerLevel * kFoldersPerLevel);
        const fs::path dir = tree / ("dir" + std::to_string(folder / kFoldersPerLevel)) /
                             ("sub" + std::to_string(folder % kFoldersPerLevel));
        fs::create_directories(dir);
        const auto size = smallSize(random);
        WriteRandomFile(dir / ("file" + std::to_string(i) + ".dat"), size, random);
        total += size;
    }
    for (int i = 0; i < kLargeFiles; ++i) {
        WriteRandomFile(tree / ("large" + std::to_string(i) + ".wim"), kLargeSize, random);
        total += kLargeSize;
    }
    return total;
}

std::uintmax_t TreeBytes(const fs::path& tree)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

template <typename Copy>
double TimeCopy(Copy copy)
{
    // Start each copy with no dirty pages left by the one before.
    if (std::system("sync") != 0)
        std::fprintf(stderr, "sync failed\n");
    const auto start = std::chrono::steady_clock::now();
    copy();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const TempFolder work;
    const fs::path source = work.Path() / "source";
    quen::SetMachineRoot(work.Path() / "machine");
    quen::MapDrive(L'S', source);

    const std::uintmax_t bytes = BuildTree(source / "tree");
    std::printf("tree: %d small files, %d large files, %.1f MB in %s\n", kSmallFiles, kLargeFiles,
                static_cast<double>(bytes) / 1e6, work.Path().c_str());

    std::vector<double> oursTimes, cpTimes;
    for (int run = 0; run < runs; ++run) {
        const fs::path ours = work.Path() / ("ours" + std::to_string(run));
        const fs::path theirs = work.Path() / ("cp" + std::to_string(run));
        fs::create_directories(ours);
        fs::create_directories(theirs);
        quen::MapDrive(L'T', ours);
        const auto copyOurs = [] {
            const CDirectory tree(L"S:\\tree", L"*", true, true);
            CDirectory(L"T:\\").CopyDirectoryHere(tree, false);
        };
        const std::string command = "cp -a '" + (source / "tree").string() + "' '" + theirs.string() + "/'";
        const auto copyCp = [&command] {
            if (std::system(command.c_str()) != 0)
                std::fprintf(stderr, "cp -a failed\n");
        };
        // Alternate which side goes first, so neither always meets a busier disk.
        if (run % 2 == 0) {
            oursTimes.push_back(TimeCopy(copyOurs));
            cpTimes.push_back(TimeCopy(copyCp));
        } else {
            cpTimes.push_back(TimeCopy(copyCp));
            oursTimes.push_back(TimeCopy(copyOurs));
        }
        if (TreeBytes(ours / "tree") != bytes || TreeBytes(theirs / "tree") != bytes) {
            std::fprintf(stderr, "run %d: a copy is incomplete\n", run + 1);
            return 1;
        }
        std::printf("run %d: CopyDirectoryHere %.3f s, cp -a %.3f s\n", run + 1, oursTimes.back(), cpTimes.back());
    }
    const double bestOurs = *std::min_element(oursTimes.begin(), oursTimes.end());
    const double bestCp = *std::min_element(cpTimes.begin(), cpTimes.end());
    // The two copies of one run meet much the same machine: their ratio is
    // steadier than either time when other work shares the disk.
    std::vector<double> ratios;
    for (std::size_t i = 0; i < oursTimes.size(); ++i)
        ratios.push_back(oursTimes[i] / cpTimes[i]);
    std::sort(ratios.begin(), ratios.end());
    const std::size_t middle = ratios.size() / 2;
    const double median = ratios.size() % 2 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
    std::printf("best: CopyDirectoryHere %.3f s, cp -a %.3f s, ratio %.2f; median ratio of the runs %.2f\n",
                bestOurs, bestCp, bestOurs / bestCp, median);
    return 0;
}
