// What the WIM benchmarks share: a temporary folder, test data, commands,
// timing and the median of per-run ratios.
#pragma once

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

namespace bench {

namespace fs = std::filesystem;

// A fresh folder below `parent` (the system's temporary folder when empty),
// removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const fs::path& parent)
    {
        std::random_device random;
        m_path = (parent.empty() ? fs::temp_directory_path() : parent) / ("quen-bench-" + std::to_string(random()));
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

// `size` bytes: random when `random` is set, else repetitive text that
// compresses well.
inline void WriteFile(const fs::path& path, std::uintmax_t size, bool random, std::mt19937_64& generator)
{
    std::vector<std::uint64_t> block(1 << 14);
    const std::string text = "Recovery module data, line of text that repeats. ";
    std::ofstream out(path, std::ios::binary);
    for (std::uintmax_t written = 0; written < size;) {
        const auto chunk = std::min<std::uintmax_t>(size - written, block.size() * sizeof(std::uint64_t));
        if (random) {
            for (auto& word : block)
                word = generator();
        } else {
            auto* bytes = reinterpret_cast<char*>(block.data());
            for (std::size_t i = 0; i < chunk; ++i)
                bytes[i] = text[(written + i) % text.size()];
        }
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(chunk));
        written += chunk;
    }
}

inline std::string Quoted(const fs::path& path)
{
    std::string quoted = "'";
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

// Runs a shell command; exits the program when it fails.
inline void Run(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// Seconds that `work` takes, started with no dirty pages left by what ran before.
template <typename Work>
double Time(Work work)
{
    Run("sync");
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline std::uintmax_t TreeBytes(const fs::path& tree)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Prints the best time of each side, their ratio, and the median of the
// per-run ratios (steadier when other work shares the machine).
inline void Summary(const char* ours, const std::vector<double>& oursTimes, const char* theirs,
                    const std::vector<double>& theirTimes)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < oursTimes.size(); ++i)
        ratios.push_back(oursTimes[i] / theirTimes[i]);
    const double bestOurs = *std::min_element(oursTimes.begin(), oursTimes.end());
    const double bestTheirs = *std::min_element(theirTimes.begin(), theirTimes.end());
    std::printf("best: %s %.3f s, %s %.3f s, ratio %.3f; median ratio of the runs %.3f\n", ours, bestOurs, theirs,
                bestTheirs, bestOurs / bestTheirs, Median(ratios));
}

}  // namespace bench
