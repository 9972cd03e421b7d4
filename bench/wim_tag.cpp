// Reads the RELEASEID of a WIM file whose XML description starts 30,000
// bytes before its end, with CWIMFile::GetWimTag (the file's last 32,768
// bytes in one read) and with a byte-by-byte backward scan (12 bytes read at
// each position from the end), checks that both find the same value, and
// prints the time and the number of reads of each.
//
//   wim_tag [calls]      (default 200)
#include <quen/Machine.h>
#include <quen/WIMFile.h>

#include "bench/BenchSupport.h"
#include "platform/RawFile.h"
#include "platform/Text.h"
#include "wim/WimTail.h"

namespace {

using namespace bench;
using quen::platform::RawFile;

constexpr std::uintmax_t kDistance = 30000;

// The literal search: for d = 12, 13, ... up to 32,768, read the 12 bytes
// that start d bytes before the end and test them; then read the d - 2
// bytes after the byte-order mark.
bool ScanBackwards(const std::wstring& path, const std::wstring& tag, std::wstring& out, std::size_t& reads)
{
    RawFile file;
    uint64_t size = 0;
    if (!file.Open(path, RawFile::Access::Read, RawFile::Share::Read) || !file.GetSize(size))
        return false;
    for (uint64_t d = quen::wim::kMarkBytes; d <= quen::wim::kTailBytes && d <= size; ++d) {
        unsigned char mark[quen::wim::kMarkBytes];
        std::size_t got = 0;
        ++reads;
        if (!file.ReadAt(size - d, mark, sizeof mark, got) || got != sizeof mark || !quen::wim::IsXmlStart(mark))
            continue;
        std::string text(d - 2, '\0');
        ++reads;
        file.ReadAt(size - d + 2, text.data(), text.size(), got);
        text.resize(got);
        return quen::wim::FirstImageValue(text, quen::platform::ToUpper(tag), out);
    }
    return false;
}

// Where the last XML description starts, counted from the end of the file.
std::uintmax_t XmlDistance(const fs::path& wim)
{
    std::ifstream in(wim, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.size() - bytes.rfind(std::string("\xFF\xFE<\0W\0I\0M\0>\0", 12));
}

// A WIM file with a padding element sized so that its description starts
// kDistance bytes before the end. Each UTF-16 character of the padding moves
// the start two bytes back. Every attempt pads a fresh copy of the base file:
// wimlib rewrites the description in place and does not truncate the file
// when it shrinks, so padding a file twice leaves the end where it was.
void MakeWim(const fs::path& folder, const fs::path& wim)
{
    std::mt19937_64 random(3);
    const fs::path base = folder / "base.wim";
    fs::create_directories(folder / "tree");
    WriteFile(folder / "tree" / "setup.exe", 1 << 20, true, random);
    Run("wimlib-imagex capture " + Quoted(folder / "tree") + " " + Quoted(base) + " > /dev/null");
    Run("wimlib-imagex info " + Quoted(base) + " 1 --image-property RELEASEID=QR-2024-17 > /dev/null");
    std::intmax_t padding = 1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        fs::copy_file(base, wim, fs::copy_options::overwrite_existing);
        Run("wimlib-imagex info " + Quoted(wim) + " 1 --image-property PADDING=" +
            std::string(static_cast<std::size_t>(padding), 'p') + " > /dev/null");
        const auto distance = static_cast<std::intmax_t>(XmlDistance(wim));
        if (distance == static_cast<std::intmax_t>(kDistance))
            return;
        padding = std::max<std::intmax_t>(1, padding + (static_cast<std::intmax_t>(kDistance) - distance) / 2);
    }
    std::fprintf(stderr, "could not place the description %ju bytes before the end (it is %ju)\n", kDistance,
                 XmlDistance(wim));
    std::exit(1);
}

template <typename Read>
double TimePerCall(int calls, Read read)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        read();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / calls;
}

}  // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const TempFolder work{fs::path()};
    MakeWim(work.Path(), work.Path() / "tagged.wim");
    std::printf("WIM file %ju bytes, XML description %ju bytes before its end\n",
                fs::file_size(work.Path() / "tagged.wim"), XmlDistance(work.Path() / "tagged.wim"));

    quen::SetMachineRoot(work.Path() / "machine");
    quen::MapDrive(L'S', work.Path());
    const std::wstring path = L"S:\\tagged.wim";
    std::wstring ours, theirs;
    std::size_t reads = 0;
    if (!CWIMFile::GetWimTag(path.c_str(), L"RELEASEID", ours) || !ScanBackwards(path, L"RELEASEID", theirs, reads) ||
        ours != theirs || ours != L"QR-2024-17") {
        std::fprintf(stderr, "the two searches disagree\n");
        return 1;
    }
    std::printf("both read RELEASEID QR-2024-17; the backward scan took %zu reads, GetWimTag 1\n", reads);

    const double tail = TimePerCall(calls, [&] { CWIMFile::GetWimTag(path.c_str(), L"RELEASEID", ours); });
    const double scan = TimePerCall(std::max(1, calls / 10), [&] {
        std::size_t ignored = 0;
        ScanBackwards(path, L"RELEASEID", theirs, ignored);
    });
    std::printf("per call: GetWimTag %.1f us, byte-by-byte scan %.1f us, %.0f times faster\n", tail * 1e6,
                scan * 1e6, scan / tail);
    return 0;
}
