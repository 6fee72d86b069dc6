// The copy that stands in for the platform's copy with overwrite, made so
// that no failure and no kill at any moment can lose or mix a file: the
// bytes go into a new temporary file in the destination's folder (created
// exclusively), which gets the source's permission bits and its access and
// modification times to the nanosecond, is flushed to disk, and is renamed
// over the destination; then the folder is flushed. Until the rename the
// destination is exactly as it was; afterwards it is the whole new copy.
// Every call goes through the OsCalls table.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/status.h"

// Why a copy was refused or failed, beside its status.
enum class CopyProblem : std::uint8_t {
  kNone,
  kSourceNotRegular,     // the source is no regular file (a folder, a FIFO, a device...)
  kDestinationFolder,    // a folder stands under the destination's name
  kDestinationSpecial,   // a FIFO, a socket or a device stands there
  kDestinationReadOnly,  // its owner may not write it
  kSameFile,             // source and destination are one file (device and inode)
  kSourceChanged,        // the source's size or time changed while it was copied
  kDestinationChanged,   // the destination changed after it was looked at (and backed up)
  kFolderNotFlushed,     // copied, but the folder\'s entry could not be flushed to disk
  kSystem,               // a call failed: see the errno
};

struct CopyReport {
  StatusWord status;  // 0, or the runtime's code (164, 175, 163, 131, 65535)
  CopyProblem problem;
  int error;             // the errno of a failed call (kSystem), else 0
  bool replaced;         // the destination now holds the copy (true also when only
                         // the final flush of the folder failed)
  bool source_on_error;  // the problem lies with the source (else the destination)
};
static_assert(std::is_trivially_copyable_v<CopyReport>);

// What stands under a path, to tell later whether it changed: nothing, a
// link that names nothing, or a file (links followed) with its identity,
// size and times.
struct PathState {
  bool entry;  // something stands there (a dangling link included)
  bool file;   // it is (or names) a file
  std::uint64_t ino, size;
  std::uint32_t dev_major, dev_minor;
  std::int64_t mtime_sec, ctime_sec;
  std::uint32_t mtime_nsec, ctime_nsec;
  bool operator==(const PathState&) const = default;
};
static_assert(std::is_trivially_copyable_v<PathState>);

// The state of the path now: true, or false when it cannot be told (errno set).
[[nodiscard]] bool StateOf(const char* path, PathState* state);

// Options of CopyReplacing.
inline constexpr std::uint8_t kCopyReplaceReadOnly = 0x01;  // a read-only destination may go

// Checks that source may be copied over destination, without touching
// either: the source a regular file (links followed), the destination absent
// or a regular file (or a link) that its owner may write (unless the option
// allows it), and the two not one file.
[[nodiscard]] CopyReport CheckCopy(const char* source, const char* destination,
                                   std::uint8_t options);

// Copies source over destination as described above; the checks of
// CheckCopy are made again on the open source. When expected is given, the
// copy is put in place only if the destination is still in that state (a
// file that appeared, or one changed since its backup, is left alone). On
// any failure before the rename the temporary file is removed and the
// destination is untouched.
[[nodiscard]] CopyReport CopyReplacing(const char* source, const char* destination,
                                       std::uint8_t options, const PathState* expected = nullptr);

// The text of a report's problem ("is read-only", the errno's text, ...).
[[nodiscard]] const char* CopyProblemText(const CopyReport& report);

// Flushes a folder's entries to disk: 0, or the errno.
[[nodiscard]] int SyncFolderEntries(const char* folder);
