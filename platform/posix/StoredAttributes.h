// The Windows attribute bits that a file or folder keeps in an extended
// attribute (docs/file-attributes.md).
#pragma once

#include <cstdint>
#include <filesystem>

namespace quen::platform::posix {

inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;
// The bits that are stored; the others are derived or have no meaning here.
inline constexpr uint32_t kStoredAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

// The stored bits of a host object (following links); 0 when none are
// stored or the file system keeps no extended attributes.
uint32_t StoredAttributes(const std::filesystem::path& host);
// The attributes Windows would report: the stored bits, plus directory for a
// folder, or normal for a file without any.
uint32_t WindowsAttributes(const std::filesystem::path& host, bool isDirectory);
// Gives an open copy the stored bits of its open source.
void CopyStoredAttributes(int sourceFd, int targetFd);

}  // namespace quen::platform::posix
