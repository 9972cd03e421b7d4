// The text of the registry store files: the `.reg` format that `reg export`
// writes (version 5.00: UTF-16LE with a byte-order mark, CRLF line ends) and
// that `reg import` applies line by line. docs/registry.md describes it.
#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quen::platform::personality::regfile {

inline constexpr std::wstring_view kHeader = L"Windows Registry Editor Version 5.00";

// A key below its root, one name per level; no name is empty.
using KeyPath = std::vector<std::wstring>;

// "HKEY_LOCAL_MACHINE" and its siblings.
std::wstring_view RootName(RegRoot root);

// "[HKEY_LOCAL_MACHINE\a\b]", and "[-HKEY_LOCAL_MACHINE\a\b]" that deletes the tree.
std::wstring KeyLine(RegRoot root, const KeyPath& key);
std::wstring KeyDeletionLine(RegRoot root, const KeyPath& key);
// A value as `reg export` writes it: `"name"=` (`@=` for the default value),
// then "text" for a REG_SZ that is plain text, dword:%08x for a 4-byte
// REG_DWORD, hex: or hex(type): bytes otherwise, wrapped at 80 columns with
// `,\` and two blanks. Several lines when wrapped; no final line end.
std::wstring ValueLines(const std::wstring& name, const RegValue& value);
// `"name"=-`, which deletes the value.
std::wstring ValueDeletionLine(const std::wstring& name);

// The UTF-16LE bytes of a file's start (byte-order mark, header line, blank
// line) and of one line end; and those of one section (its lines, then a
// blank line) appended to `out`.
std::string FileStart();
std::string LineEnd();
void AppendSection(std::string& out, const std::vector<std::wstring>& lines);
// How many bytes a line takes in a file, its line end included.
uint64_t LineBytes(std::wstring_view line);

// Receives what the lines of a file do, in file order.
class ParseSink {
public:
    virtual void OnKey(const KeyPath& key) = 0;
    virtual void OnKeyDeletion(const KeyPath& key) = 0;
    // Value lines concern the key of the last key line.
    virtual void OnValue(const std::wstring& name, RegValue value) = 0;
    virtual void OnValueDeletion(const std::wstring& name) = 0;

protected:
    ~ParseSink() = default;
};

struct ParseError {
    uint64_t line = 0;  // counted from 1
    std::wstring reason;
};

// Reads one root's file front to back, in pieces as the file grows. Each call
// takes the bytes that follow those consumed so far and consumes whole lines
// only: an incomplete last line (a write cut short) stays unconsumed.
class Parser {
public:
    explicit Parser(RegRoot root) : m_root(root) {}

    // false with `error` set when a complete line is malformed; `consumed`
    // then counts the bytes of the lines before it.
    bool Parse(std::string_view bytes, ParseSink& sink, std::size_t& consumed, ParseError& error);

    bool HeaderRead() const { return m_headerRead; }
    // Whether the text consumed so far ends with an empty line, as each
    // section of a well-formed file does.
    bool EndsWithBlankLine() const { return m_lastLineBlank; }

private:
    RegRoot m_root;
    bool m_headerRead = false;
    bool m_inSection = false;
    bool m_lastLineBlank = false;
    uint64_t m_lines = 0;
};

}  // namespace quen::platform::personality::regfile
