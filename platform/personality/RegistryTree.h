// The keys and values of one registry root in memory, as a store file last
// described them, with the size that content takes once written out alone
// (which tells when the file is worth compacting).
#pragma once

#include "platform/Registry.h"
#include "platform/personality/RegFile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace quen::platform::personality {

class RegistryTree {
public:
    struct Value {
        std::wstring name;  // as first written
        RegValue value;
        uint64_t order = 0;  // values are written out in the order they were first set
        uint64_t bytes = 0;  // the size of its lines in a file
    };
    // Subkeys and values are mapped by their upper-cased names: look-ups
    // ignore case, and listings come sorted without regard to case.
    struct Key {
        std::wstring name;  // as first created
        std::map<std::wstring, std::unique_ptr<Key>> subkeys;
        std::map<std::wstring, Value> values;
        uint64_t lineBytes = 0;   // its key line and the blank line that ends its section
        uint64_t valueBytes = 0;  // the lines of its values
    };

    explicit RegistryTree(RegRoot root);

    // Null when the key is absent. The empty path is the root itself.
    const Key* Find(const regfile::KeyPath& path) const;
    // The path with each existing key named as it was first created.
    regfile::KeyPath Spelling(const regfile::KeyPath& path) const;
    // The key, created with its missing parents.
    Key& Create(const regfile::KeyPath& path);
    // Removes a key below the root with everything below it; false when absent.
    bool DeleteTree(const regfile::KeyPath& path);
    static const Value* FindValue(const Key& key, std::wstring_view name);
    void SetValue(Key& key, const std::wstring& name, RegValue value);
    bool DeleteValue(Key& key, const std::wstring& name);

    // The content as a file: the file's start, then one section per key, parents
    // before children, names sorted without regard to case. The root has a
    // section only when it holds values.
    std::string Serialize() const;
    // The size of Serialize(), kept up to date by every change.
    uint64_t LiveBytes() const { return m_liveBytes; }

private:
    uint64_t SectionBytes(const Key& key) const;
    uint64_t TreeBytes(const Key& key) const;
    void SerializeKey(const Key& key, regfile::KeyPath& path, std::string& out) const;

    RegRoot m_root;
    Key m_top;
    uint64_t m_nextOrder = 0;
    uint64_t m_liveBytes = 0;
};

}  // namespace quen::platform::personality
