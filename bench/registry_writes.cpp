// Registry writes: the cost of one durable write as the store grows.
//
//   registry_writes [VALUES [FOLDER]]
//
// Writes VALUES (10,000) new text values into one key of a fresh machine root
// made in FOLDER (the system's temporary folder), then writes each of them
// once more (which makes the store compact itself now and then). For each
// block of 1,000 writes it prints the wall time and the processor time per
// write, the slowest single write and the store file's size. Then it reads
// 1,000 values back and prints the time per read.
#include <quen/Machine.h>

#include "platform/Registry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

namespace {

using quen::platform::RegRoot;
using quen::platform::RegView;

constexpr int kBlock = 1000;
const std::wstring kKey = L"SOFTWARE\\Quen Corporation\\Bench";

std::wstring Name(int i) { return L"Value" + std::to_wstring(100000 + i).substr(1); }

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Writes values [0, count) in blocks of kBlock, printing one line per block.
bool WriteBlocks(const char* phase, int count, int round, const std::filesystem::path& file)
{
    for (int start = 0; start < count; start += kBlock) {
        const int end = std::min(count, start + kBlock);
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        double slowest = 0;
        for (int i = start; i < end; ++i) {
            const std::wstring text = L"C:\\Program Files\\Quen\\Module " + std::to_wstring(i) + L"\\setup" +
                                      std::to_wstring(round) + L".exe";
            const auto one = std::chrono::steady_clock::now();
            if (quen::platform::RegWrite(RegRoot::LocalMachine, kKey, Name(i), RegView::Native,
                                         quen::platform::RegString(text)) != 0) {
                std::fprintf(stderr, "write %d failed\n", i);
                return false;
            }
            slowest = std::max(slowest, Seconds(std::chrono::steady_clock::now() - one));
        }
        const double n = end - start;
        std::printf("%-8s %6d-%-6d %10.1f %10.1f %10.1f %10.1f\n", phase, start + 1, end,
                    Seconds(std::chrono::steady_clock::now() - wall) * 1e6 / n,
                    static_cast<double>(std::clock() - cpu) * 1e6 / CLOCKS_PER_SEC / n, slowest * 1e6,
                    static_cast<double>(std::filesystem::file_size(file)) / 1024);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const int values = argc > 1 ? std::stoi(argv[1]) : 10000;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
    const auto root = folder / ("quen-bench-registry-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(root);
    quen::SetMachineRoot(root);
    const auto file = root / "registry" / "HKLM.reg";

    std::printf("%-8s %-13s %10s %10s %10s %10s\n", "phase", "writes", "us/write", "cpu us", "max us", "file KiB");
    if (!WriteBlocks("new", values, 0, file) || !WriteBlocks("rewrite", values, 1, file))
        return 1;

    std::mt19937 random(1);
    const auto wall = std::chrono::steady_clock::now();
    for (int i = 0; i < kBlock; ++i) {
        quen::platform::RegValue value;
        if (quen::platform::RegRead(RegRoot::LocalMachine, kKey, Name(static_cast<int>(random() % values)),
                                    RegView::Native, value) != 0) {
            std::fprintf(stderr, "read failed\n");
            return 1;
        }
    }
    std::printf("reads: %.1f us/read\n", Seconds(std::chrono::steady_clock::now() - wall) * 1e6 / kBlock);
    std::filesystem::remove_all(root);
    return 0;
}
