// POSIX personality: one registry root's keys and values in memory.
#include "platform/personality/RegistryTree.h"

#include "platform/Text.h"

#include <algorithm>
#include <vector>

namespace quen::platform::personality {

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
        const auto it = key->subkeys.find(ToUpper(name));
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
        const auto it = key->subkeys.find(ToUpper(name));
        if (it == key->subkeys.end())
            break;
        name = it->second->name;
        key = it->second.get();
    }
    return spelled;
}

RegistryTree::Key& RegistryTree::Create(const regfile::KeyPath& path)
{
    Key* key = &m_top;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const std::wstring folded = ToUpper(path[i]);
        auto it = key->subkeys.find(folded);
        if (it == key->subkeys.end()) {
            auto child = std::make_unique<Key>();
            child->name = path[i];
            const regfile::KeyPath prefix(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            child->lineBytes = regfile::LineBytes(regfile::KeyLine(m_root, prefix)) + regfile::LineBytes(L"");
            m_liveBytes += child->lineBytes;
            it = key->subkeys.emplace(folded, std::move(child)).first;
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
    const auto it = subkeys.find(ToUpper(path.back()));
    if (it == subkeys.end())
        return false;
    m_liveBytes -= TreeBytes(*it->second);
    subkeys.erase(it);
    return true;
}

const RegistryTree::Value* RegistryTree::FindValue(const Key& key, std::wstring_view name)
{
    const auto it = key.values.find(ToUpper(name));
    return it == key.values.end() ? nullptr : &it->second;
}

void RegistryTree::SetValue(Key& key, const std::wstring& name, RegValue value)
{
    const uint64_t before = SectionBytes(key);
    const std::wstring folded = ToUpper(name);
    auto it = key.values.find(folded);
    if (it == key.values.end())
        it = key.values.emplace(folded, Value{name, {}, m_nextOrder++, 0}).first;
    key.valueBytes -= it->second.bytes;
    it->second.value = std::move(value);
    it->second.bytes = regfile::LineBytes(regfile::ValueLines(it->second.name, it->second.value));
    key.valueBytes += it->second.bytes;
    m_liveBytes = m_liveBytes - before + SectionBytes(key);
}

bool RegistryTree::DeleteValue(Key& key, const std::wstring& name)
{
    const auto it = key.values.find(ToUpper(name));
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
        std::vector<const Value*> values;
        for (const auto& entry : key.values)
            values.push_back(&entry.second);
        std::sort(values.begin(), values.end(), [](const Value* a, const Value* b) { return a->order < b->order; });
        std::vector<std::wstring> lines{regfile::KeyLine(m_root, path)};
        for (const Value* value : values)
            lines.push_back(regfile::ValueLines(value->name, value->value));
        regfile::AppendSection(out, lines);
    }
    for (const auto& entry : key.subkeys) {
        path.push_back(entry.second->name);
        SerializeKey(*entry.second, path, out);
        path.pop_back();
    }
}

}  // namespace quen::platform::personality
