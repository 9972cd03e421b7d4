// POSIX personality: one registry root's keys and values in memory.
#include "platform/posix/RegistryTree.h"

#include <algorithm>
#include <vector>

namespace quen::platform::posix {

RegistryTree::RegistryTree(RegRoot root) : m_root(root)
{
    m_top.lineBytes = regfile::LineBytes(regfile::KeyLine(root, {})) + regfile::LineBytes(L"");
    m_liveBytes = regfile::FileStart().size();
}

namespace {

// The key at `path` below `top`, const or not as `top` is.
template <typename K>
K* Walk(K& top, const regfile::KeyPath& path)
{
    K* key = &top;
    for (const auto& name : path) {
        const auto it = key->subkeys.find(name);
        if (it == key->subkeys.end())
            return nullptr;
        key = it->second.get();
    }
    return key;
}

}  // namespace

const RegistryTree::Key* RegistryTree::Find(const regfile::KeyPath& path) const { return Walk(m_top, path); }

regfile::KeyPath RegistryTree::Spelling(const regfile::KeyPath& path) const
{
    regfile::KeyPath spelled = path;
    const Key* key = &m_top;
    for (auto& name : spelled) {
        const auto it = key->subkeys.find(name);
        if (it == key->subkeys.end())
            break;
        name = it->first;
        key = it->second.get();
    }
    return spelled;
}

RegistryTree::Key& RegistryTree::Create(const regfile::KeyPath& path)
{
    Key* key = &m_top;
    for (std::size_t i = 0; i < path.size(); ++i) {
        auto it = key->subkeys.find(path[i]);
        if (it == key->subkeys.end()) {
            auto child = std::make_unique<Key>();
            const regfile::KeyPath prefix(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            child->lineBytes = regfile::LineBytes(regfile::KeyLine(m_root, prefix)) + regfile::LineBytes(L"");
            m_liveBytes += child->lineBytes;
            it = key->subkeys.emplace(path[i], std::move(child)).first;
        }
        key = it->second.get();
    }
    return *key;
}

bool RegistryTree::DeleteTree(const regfile::KeyPath& path)
{
    if (path.empty())
        return false;
    Key* parent = Walk(m_top, regfile::KeyPath(path.begin(), path.end() - 1));
    if (!parent)
        return false;
    auto& subkeys = parent->subkeys;
    const auto it = subkeys.find(path.back());
    if (it == subkeys.end())
        return false;
    m_liveBytes -= TreeBytes(*it->second);
    subkeys.erase(it);
    return true;
}

void RegistryTree::SetValue(Key& key, const std::wstring& name, RegValue value)
{
    const uint64_t before = SectionBytes(key);
    auto it = key.values.find(name);
    if (it == key.values.end())
        it = key.values.emplace(name, Value{{}, m_nextOrder++, 0}).first;
    key.valueBytes -= it->second.bytes;
    it->second.value = std::move(value);
    it->second.bytes = regfile::LineBytes(regfile::ValueLines(it->first, it->second.value));
    key.valueBytes += it->second.bytes;
    m_liveBytes = m_liveBytes - before + SectionBytes(key);
}

bool RegistryTree::DeleteValue(Key& key, const std::wstring& name)
{
    const auto it = key.values.find(name);
    if (it == key.values.end())
        return false;
    const uint64_t before = SectionBytes(key);
    key.valueBytes -= it->second.bytes;
    key.values.erase(it);
    m_liveBytes = m_liveBytes - before + SectionBytes(key);
    return true;
}

std::string RegistryTree::Serialize() const
{
    std::string out = regfile::FileStart();
    out.reserve(m_liveBytes);
    regfile::KeyPath path;
    SerializeKey(m_top, path, out);
    return out;
}

// What the key's own section takes: nothing for a root without values.
uint64_t RegistryTree::SectionBytes(const Key& key) const
{
    if (&key == &m_top && key.values.empty())
        return 0;
    return key.lineBytes + key.valueBytes;
}

uint64_t RegistryTree::TreeBytes(const Key& key) const
{
    uint64_t bytes = SectionBytes(key);
    for (const auto& entry : key.subkeys)
        bytes += TreeBytes(*entry.second);
    return bytes;
}

void RegistryTree::SerializeKey(const Key& key, regfile::KeyPath& path, std::string& out) const
{
    if (&key != &m_top || !key.values.empty()) {
        std::vector<const std::pair<const std::wstring, Value>*> values;
        for (const auto& entry : key.values)
            values.push_back(&entry);
        std::sort(values.begin(), values.end(),
                  [](const auto* a, const auto* b) { return a->second.order < b->second.order; });
        std::vector<std::wstring> lines{regfile::KeyLine(m_root, path)};
        for (const auto* entry : values)
            lines.push_back(regfile::ValueLines(entry->first, entry->second.value));
        out += regfile::Section(lines);
    }
    for (const auto& entry : key.subkeys) {
        path.push_back(entry.first);
        SerializeKey(*entry.second, path, out);
        path.pop_back();
    }
}

}  // namespace quen::platform::posix
