// The passes over every row: the bulk copies ("All Files >>", "All Files <<",
// "Restore Equals <<") and the exports of the left folder's equal or unequal
// files. Each runs on the rows through the row interface, so the window and
// the headless report run the very same pass. Every copy goes through the
// row copy or the fail-safe file copy with its backup first; a copy that
// fails or is refused does not stop the pass, and the outcome counts it.
#pragma once

#include <cstdint>
#include <type_traits>

#include "actions/rows.h"
#include "runtime/memory/str_desc.h"

// BulkCopy's flags.
inline constexpr std::uint8_t kBulkRightToLeft = 0x01;  // source: the right folder and column
inline constexpr std::uint8_t kBulkCountOnly = 0x02;    // select and count, copy nothing
inline constexpr std::uint8_t kBulkCompareContents = 0x04;
inline constexpr std::uint8_t kBulkRestore = 0x08;  // " >> " rows of equal bytes (with 0x01)

// The menu commands' flags: count pass and copy pass.
inline constexpr std::uint8_t kAllFilesRightCount = 2, kAllFilesRightCopy = 0;
inline constexpr std::uint8_t kAllFilesLeftCount = 3, kAllFilesLeftCopy = 1;
inline constexpr std::uint8_t kRestoreEqualsCount = 15, kRestoreEqualsCopy = 13;

// ExportFiles' flags.
inline constexpr std::uint8_t kExportUnequal = 0x01;  // else the equal files
inline constexpr std::uint8_t kExportCountOnly = 0x02;
inline constexpr std::uint8_t kExportEqualsCount = 2, kExportEqualsCopy = 0;
inline constexpr std::uint8_t kExportNotEqualsCount = 3, kExportNotEqualsCopy = 1;

// ExportFiles' result after an error of the count pass.
inline constexpr std::uint16_t kExportFailed = 65535;

// The rows and folders a pass works on (exact bytes).
struct PassRows {
  StrDesc left_folder, right_folder;
  RowList left, right;
};

// What a copy pass tells as it goes: before each copy (false stops the pass
// there: the user cancelled), and after each copy that failed or was
// refused, with its status and "file: reason". Either may be absent.
struct PassListener {
  void* context;
  bool (*before_copy)(void* context, std::uint16_t done, StrDesc name);
  void (*failed)(void* context, StatusWord status, StrDesc detail);
};

inline constexpr std::size_t kFirstFailureRoom = 1024;

// How a pass went.
struct PassOutcome {
  std::uint16_t selected;  // rows of the kind met (a cancelled pass meets no more)
  std::uint16_t copied;
  std::uint16_t failed;
  bool cancelled;
  StatusWord first_status;                // of the first copy that failed
  char first_failure[kFirstFailureRoom];  // its "file: reason", NUL-terminated
};
static_assert(std::is_trivially_copyable_v<PassOutcome>);

// 1 when the row's two files differ in content (or cannot both be read), 0
// when they have the same bytes, or when kBulkCompareContents is not set.
[[nodiscard]] std::uint16_t ContentsDiffer(std::uint8_t flags, StrDesc source_folder,
                                           StrDesc destination_folder, const RowList& source,
                                           std::uint16_t row);

// Selects the rows of the flags' kind (" >> " from left to right, " << "
// from right to left, or " >> " rows of equal bytes, restored from the
// right) and, unless counting only, copies each one with its backup. The
// number of rows selected. Nothing is left on the string area.
std::uint16_t BulkCopy(std::uint8_t flags, const PassRows& rows, const PassListener* listener,
                       PassOutcome* outcome);

// Selects the left column's rows of the class (equal: " == ", or " >> " /
// " << " of equal bytes; unequal: " >> " / " << " of differing bytes; " ## ",
// " ++ ", " XX " and empty rows never) and, unless counting only, copies
// each file into target, replacing a file there only after its backup. The
// number of rows of the class; 65535 when the count pass met a row whose
// files cannot be compared (its name in the DetailLog). Nothing is left on
// the string area.
std::uint16_t ExportFiles(std::uint8_t flags, StrDesc target, const PassRows& rows,
                          const PassListener* listener, PassOutcome* outcome);

// True when both paths name one folder (device and inode, links followed).
[[nodiscard]] bool SameFolder(StrDesc a, StrDesc b);

// The summary of a pass with failures or a cancel, for a box; one new
// string (empty text when nothing failed and nothing was cancelled).
[[nodiscard]] StrDesc PassSummary(const PassOutcome& outcome);
