// Folder listing: a folder's own entries (no sub-folders' contents), sorted
// in ascending byte order with names compared as if blank-padded to the same
// width, and kept when their attributes share a bit with a mask. The result
// is a name list: names separated by NUL, none after the last.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "compare/name_table.h"
#include "platform/os/dir_entries.h"
#include "runtime/memory/str_desc.h"

// Why a listing came out as it did.
enum class ListOutcome : std::uint8_t {
  kListed,       // the folder was read (the list may still be empty: nothing kept)
  kNoFolder,     // no such folder, or nothing in it: silent
  kUnreadable,   // the folder is there but cannot be read or searched whole
  kTooLarge,     // the kept names do not fit in one runtime string (65,535 bytes)
  kOutOfMemory,  // the string area could not hold the list
};

// What a listing read of one entry: all that the rows of the same pass need.
struct SnapshotEntry {
  std::uint32_t attributes;
  std::int64_t modified;  // seconds since 1970-01-01 00:00 UTC
  std::uint64_t size;
  std::uint32_t name_offset;  // the name's bytes in FolderSnapshot::names
  std::uint16_t name_length;
};
static_assert(std::is_trivially_copyable_v<SnapshotEntry>);

// Every entry a listing read, by name, so that later queries of the same
// pass need not go back to the disk. Kept compact: a pass looks entries up
// in no particular order. Names are the file system's bytes.
struct FolderSnapshot {
  FolderSnapshot() = default;
  // by_name views names' bytes: a copy or a move would leave them dangling.
  FolderSnapshot(const FolderSnapshot&) = delete;
  FolderSnapshot& operator=(const FolderSnapshot&) = delete;
  std::vector<SnapshotEntry> entries;
  std::string names;                  // all names, back to back
  NameTable by_name;                  // entry index by name, viewing names
  std::vector<std::uint32_t> listed;  // the entry of each name of the list, in list order
  [[nodiscard]] std::string_view Name(std::size_t i) const {
    return std::string_view(names).substr(entries[i].name_offset, entries[i].name_length);
  }
};

inline constexpr std::uint16_t kArchiveMask = 0x20;
inline constexpr std::uint8_t kSortNulSeparated = 0x40;
inline constexpr std::uint8_t kSortTrimTrailing = 0x80;
inline constexpr std::uint8_t kSortListing = kSortNulSeparated | kSortTrimTrailing;

// The sorted, filtered name list of the folder as one new string (empty text
// when nothing is listed). *outcome, when given, says why; *snapshot, when
// given, receives every entry read (also those the mask drops).
[[nodiscard]] StrDesc ListFolder(StrDesc folder, std::uint16_t mask, ListOutcome* outcome = nullptr,
                                 FolderSnapshot* snapshot = nullptr);

// The list sorted (stable; blank-padded byte comparison), one new string.
// Option 0x40: NUL separates the items, else ",". Option 0x80: trailing blanks
// and tabs are stripped from each item. Empty text when the area is full.
[[nodiscard]] StrDesc SortList(StrDesc list, std::uint8_t options);

// The names of the list (NUL-separated) whose entry in folder has an
// attribute bit of mask, in list order; one new string.
[[nodiscard]] StrDesc FilterByAttribute(StrDesc folder, StrDesc list, std::uint16_t mask);

// The blank-padded comparison of the sort: -1, 0 or 1.
[[nodiscard]] int PaddedCompare(std::string_view a, std::string_view b);
