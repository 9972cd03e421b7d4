// A registry store file of any content, then one write and its read-back.
// A file that cannot be parsed is never written; on a sound file, the value
// written reads back exactly, in this process and after a fresh load.
#include "platform/Errors.h"
#include "platform/posix/RegistryStore.h"

#include "support/FuzzInput.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using namespace quen::platform;
using namespace quen::platform::posix;

std::string Content(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool HoldsValue(RegistryStore& store, const regfile::KeyPath& key, const std::wstring& name, const RegValue& value)
{
    return store.Read([&](const RegistryTree& tree) -> uint32_t {
               const RegistryTree::Key* found = tree.Find(key);
               const RegistryTree::Value* stored = found ? RegistryTree::FindValue(*found, name) : nullptr;
               return stored && stored->value.type == value.type && stored->value.data == value.data ? 0u : 1u;
           }) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // The input is the file; the value written takes its name and bytes
    // from the input's first bytes, so it varies with the file.
    const std::string file(reinterpret_cast<const char*>(data), size);
    const std::size_t head = std::min<std::size_t>(size, 12);
    RegValue value;
    value.type = static_cast<uint32_t>(size % 13);
    value.data.assign(data, data + head);

    const std::filesystem::path path = quen::fuzz::MachineRoot() / "HKLM.reg";
    // A new file each time (see WriteInput).
    std::filesystem::remove(path.string() + ".lock");
    std::filesystem::remove(path);
    std::ofstream(path, std::ios::binary) << file;
    // A value name ends at its first zero, as the Windows calls take it.
    std::wstring name = quen::fuzz::WideText(data, head);
    name.resize(std::min(name.size(), name.find(L'\0')));
    const regfile::KeyPath key = {L"SOFTWARE", L"Quen"};

    RegistryStore store(path, RegRoot::LocalMachine);
    const uint32_t read = store.Read([](const RegistryTree&) { return 0u; });
    const uint32_t written = store.SetValue(key, name, value);
    if (read == err::RegistryCorrupt) {
        quen::fuzz::Require(written == err::RegistryCorrupt, "a corrupt store refuses writes");
        quen::fuzz::Require(Content(path) == file, "a corrupt store file is never written");
        return 0;
    }
    quen::fuzz::Require(store.Read([](const RegistryTree&) { return 0u; }) == 0, "a write keeps the store readable");
    // A lone surrogate has no UTF-16 form: the file holds U+FFFD in its place.
    const bool representable =
        std::none_of(name.begin(), name.end(), [](wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; });
    if (written != 0 || !representable)
        return 0;
    quen::fuzz::Require(HoldsValue(store, key, name, value), "a value written reads back");
    RegistryStore fresh(path, RegRoot::LocalMachine);
    quen::fuzz::Require(HoldsValue(fresh, key, name, value), "a value written reads back from the file");
    return 0;
}
