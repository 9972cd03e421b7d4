// POSIX personality: the registry functions over one store file per root in
// <machine root>/registry/, and the 32-bit view of HKLM\SOFTWARE.
#include "platform/Registry.h"

#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/posix/MachineState.h"
#include "platform/posix/RegistryStore.h"

#include <array>
#include <memory>
#include <mutex>

namespace quen::platform {
namespace {

using posix::RegistryStore;
using personality::RegistryTree;
using personality::regfile::KeyPath;

constexpr std::size_t kRootCount = 5;

const char* FileName(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot: return "HKCR.reg";
    case RegRoot::CurrentUser: return "HKCU.reg";
    case RegRoot::LocalMachine: return "HKLM.reg";
    case RegRoot::Users: return "HKU.reg";
    case RegRoot::CurrentConfig: return "HKCC.reg";
    }
    return "HKLM.reg";
}

// The stores of the current machine root. Another root (a test's fresh
// machine) starts with fresh stores; one still in use lives on until its call ends.
std::shared_ptr<RegistryStore> StoreFor(RegRoot root)
{
    static std::mutex mutex;
    static std::filesystem::path machine;
    static std::array<std::shared_ptr<RegistryStore>, kRootCount> stores;
    std::lock_guard lock(mutex);
    const auto current = posix::MachineRootPath();
    if (current != machine) {
        stores = {};
        machine = current;
    }
    auto& store = stores.at(static_cast<std::size_t>(root));
    if (!store)
        store = std::make_shared<RegistryStore>(machine / "registry" / FileName(root), root);
    return store;
}

// Line breaks and zeros cannot stand in a line of the store file.
bool StorableName(const std::wstring& name) { return name.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos; }

// The key's names below its root, in the given view. One trailing backslash is
// accepted; a leading one or an empty name is not, as on Windows.
uint32_t ResolveKey(RegRoot root, const std::wstring& key, RegView view, KeyPath& path)
{
    path.clear();
    if (key.empty())
        return err::Success;
    std::wstring_view rest = key;
    if (rest.back() == L'\\')
        rest.remove_suffix(1);
    for (;;) {
        const std::size_t end = rest.find(L'\\');
        const std::wstring name(rest.substr(0, end));
        if (name.empty())
            return err::BadPathname;
        if (!StorableName(name))
            return err::InvalidParameter;
        path.push_back(name);
        if (end == std::wstring_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    // A 64-bit process sees the 32-bit programs' HKLM\SOFTWARE below WOW6432Node.
    if (root == RegRoot::LocalMachine && view == RegView::View32 && !path.empty() &&
        EqualsNoCase(path[0], L"SOFTWARE") && !(path.size() > 1 && EqualsNoCase(path[1], L"WOW6432Node")))
        path.insert(path.begin() + 1, L"WOW6432Node");
    return err::Success;
}

// Runs `look` on the key, or gives FileNotFound when the key is absent.
template <typename Look>
uint32_t ReadKey(RegRoot root, const std::wstring& key, RegView view, Look look)
{
    KeyPath path;
    if (const uint32_t code = ResolveKey(root, key, view, path))
        return code;
    return StoreFor(root)->Read([&](const RegistryTree& tree) {
        const RegistryTree::Key* found = tree.Find(path);
        return found ? look(*found) : err::FileNotFound;
    });
}

}  // namespace

uint32_t RegRead(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view, RegValue& value)
{
    return ReadKey(root, key, view, [&](const RegistryTree::Key& found) {
        const RegistryTree::Value* known = RegistryTree::FindValue(found, name);
        if (!known)
            return err::FileNotFound;
        value = known->value;
        return err::Success;
    });
}

uint32_t RegWrite(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view,
                  const RegValue& value)
{
    KeyPath path;
    if (const uint32_t code = ResolveKey(root, key, view, path))
        return code;
    if (!StorableName(name))
        return err::InvalidParameter;
    return StoreFor(root)->SetValue(path, name, value);
}

uint32_t RegDeleteValueOf(RegRoot root, const std::wstring& key, const std::wstring& name, RegView view)
{
    KeyPath path;
    if (const uint32_t code = ResolveKey(root, key, view, path))
        return code;
    return StoreFor(root)->DeleteValue(path, name);
}

uint32_t RegDeleteKeyTree(RegRoot root, const std::wstring& key, RegView view)
{
    KeyPath path;
    if (const uint32_t code = ResolveKey(root, key, view, path))
        return code;
    return StoreFor(root)->DeleteTree(path);
}

bool RegKeyExists(RegRoot root, const std::wstring& key, RegView view)
{
    return ReadKey(root, key, view, [](const RegistryTree::Key&) { return err::Success; }) == err::Success;
}

uint32_t RegListValues(RegRoot root, const std::wstring& key, RegView view, std::vector<std::wstring>& names)
{
    names.clear();
    return ReadKey(root, key, view, [&](const RegistryTree::Key& found) {
        for (const auto& entry : found.values)
            names.push_back(entry.second.name);
        return err::Success;
    });
}

uint32_t RegListSubkeys(RegRoot root, const std::wstring& key, RegView view, std::vector<std::wstring>& names)
{
    names.clear();
    return ReadKey(root, key, view, [&](const RegistryTree::Key& found) {
        for (const auto& entry : found.subkeys)
            names.push_back(entry.second->name);
        return err::Success;
    });
}

}  // namespace quen::platform
