// File queries: names matching a path pattern, the directory entry of one
// path, its attributes, size and stamps, and the removal of a file and the
// creation of a folder. Paths are the file system's own bytes.
#pragma once

#include <cstdint>

#include "platform/os/dir_entries.h"
#include "runtime/memory/str_desc.h"

// Which stamp EntryStamp reads, and in which form.
inline constexpr std::uint8_t kStampCreated = 0;
inline constexpr std::uint8_t kStampAccessed = 1;
inline constexpr std::uint8_t kStampModified = 2;
inline constexpr std::uint8_t kFormTimeOfDay = 0;
inline constexpr std::uint8_t kFormDate = 1;

// The names matching the pattern, in the folder's order, separated by NUL
// (none after the last), as one new top string. 0; 164 when nothing matches
// (nothing pushed); 175 or 65535 when the folder cannot be read whole; 145
// when the area cannot hold the list (or there is no area) and 146 when it
// would pass 65,535 bytes (nothing pushed either).
[[nodiscard]] StatusWord ListMatchingNames(StrDesc pattern);

// Fills *entry with the first entry matching path: 0, or 164 with the record
// untouched. Leaves nothing on the area.
[[nodiscard]] StatusWord QueryEntry(StrDesc path, DirectoryEntry* entry);

// Low 16 bits of the first matching entry's attributes; 164 when none matches.
[[nodiscard]] std::uint16_t EntryAttributes(StrDesc path);
// Size in bytes of the first matching entry; 0 when none matches.
[[nodiscard]] std::uint64_t EntrySize(StrDesc path);
// The chosen stamp as StampTime (form 0) or StampDate (form 1) gives it; 0 when none matches.
[[nodiscard]] std::uint32_t EntryStamp(StrDesc path, std::uint8_t which, std::uint8_t form);

// The local date (year * 10000 + month * 100 + day) of a stamp in seconds
// since 1970 (all 64 bits); 0 for a negative stamp.
[[nodiscard]] std::uint32_t StampDate(std::int64_t stamp);
// Milliseconds since local midnight of a stamp; 0 for a negative stamp.
[[nodiscard]] std::uint32_t StampTime(std::int64_t stamp);
// Both of the above from one local-time conversion.
void StampDateTime(std::int64_t stamp, std::uint32_t* date, std::uint32_t* time);
// Now, in seconds since 1970-01-01 00:00 UTC.
[[nodiscard]] std::int64_t CurrentStamp();

// Unlinks the one file (never a folder): 0, or 65535.
[[nodiscard]] StatusWord RemoveFile(StrDesc path);
// Creates the one folder (not its parents): 0, or 65535 (also when it exists).
[[nodiscard]] StatusWord MakeFolder(StrDesc path);
