// Path resolution and the drive map with hostile Windows paths: `..`,
// device names, UNC, very long, mixed slashes, texts with no UTF-8 form, and
// a current directory and a drive mapping taken from the input too.
// The input: one character, the drive to map; then the current directory, a
// line end, and the path (without a line end, the one text is both).
// Whatever resolves stays inside the machine root.
#include <quen/Machine.h>

#include "platform/Paths.h"

#include "support/FuzzInput.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool Inside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    const std::filesystem::path normal = path.lexically_normal();
    auto p = normal.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (p == normal.end() || *p != *f)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::filesystem::path& root = quen::fuzz::MachineRoot();
    const std::wstring text = quen::fuzz::WideText(data, size);
    if (text.empty())
        return 0;
    const wchar_t letter = text[0];
    const std::size_t lineEnd = std::min(text.find(L'\n', 1), text.size());
    const std::wstring current = text.substr(1, lineEnd - 1);
    const std::wstring path = lineEnd < text.size() ? text.substr(lineEnd + 1) : current;

    bool mapped = false;
    try {
        quen::MapDrive(letter, root / "mapped");
        mapped = true;
    } catch (const std::invalid_argument&) {
    }
    if (!current.empty())
        quen::platform::SetCurrentDir(current);

    std::wstring full;
    if (quen::platform::FullPath(path, full))
        quen::fuzz::Require(full.size() >= 3 && (full[1] == L':' || full.starts_with(L"\\\\")),
                            "a full path starts with a drive or a share");
    std::filesystem::path host;
    if (quen::platform::ToHostPath(path, host))
        quen::fuzz::Require(Inside(host, root), "a path resolves inside the machine root");
    try {
        quen::fuzz::Require(Inside(quen::HostPath(path), root), "a host path lies inside the machine root");
    } catch (const std::invalid_argument&) {
    }

    if (mapped)
        quen::MapDrive(letter, {});
    quen::platform::SetCurrentDir(L"C:\\");
    return 0;
}
