// Directory entries: the stand-in for the platform's find-first/find-next
// enumeration. A path whose last component holds no "*" or "?" is one statx
// of that path; otherwise its folder is read once and each name is matched
// with the wildcard rules ("*" any run, "?" one character, "*.*" every name).
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/status.h"

// Attribute bits of an entry (after following symbolic links).
inline constexpr std::uint32_t kAttrReadOnly = 0x01;  // the owner may not write
inline constexpr std::uint32_t kAttrHidden = 0x02;    // the name starts with "."
inline constexpr std::uint32_t kAttrSystem = 0x04;    // never set on Linux
inline constexpr std::uint32_t kAttrFolder = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;  // a regular file

inline constexpr std::size_t kEntryNameMax = 260;

struct DirectoryEntry {
  std::uint32_t attributes;
  std::int64_t created;  // seconds since 1970-01-01 00:00 UTC (birth time, else change time)
  std::int64_t accessed;
  std::int64_t modified;
  std::uint64_t size;            // bytes
  char name[kEntryNameMax + 1];  // the entry's own name, NUL-terminated
};
static_assert(std::is_trivially_copyable_v<DirectoryEntry>);

// Called for each matching entry; returning false stops the enumeration.
using EntryVisitor = bool (*)(const DirectoryEntry& entry, void* context);

// Enumerates the entries that match the NUL-terminated pattern, in the order
// the folder delivers them. 0 when at least one matched, 164 when none did or
// there is no such folder; 175 or 65535 when the folder exists but cannot be
// read or searched whole (then the entries visited are not all there are).
// Names longer than 260 bytes, and entries removed meanwhile, are skipped.
[[nodiscard]] StatusWord FindEntries(const char* pattern, EntryVisitor visit, void* context);

// Fills *entry for exactly this path (no wildcard is interpreted), named by
// its last component: 0, or 164 when nothing is there.
[[nodiscard]] StatusWord QueryPath(const char* path, DirectoryEntry* entry);

// True when name matches the wildcard pattern (case-sensitive).
[[nodiscard]] bool WildcardMatch(const char* pattern, const char* name);
