// The comparison of one file name across two folders and the fixed-column
// line of one row: a blank, the name in 38 characters, the size in 7, two
// blanks, the date (8), two blanks, the time (HH:MM), a blank and the marker.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compare/listing.h"
#include "compare/name_table.h"
#include "runtime/memory/str_desc.h"

struct FileStatus {
  StatusWord status;  // 0 found, 164 not found, 65535 not queried
  std::uint64_t size;
  std::int32_t created_date, created_time;
  std::int32_t accessed_date, accessed_time;
  std::int32_t modified_date, modified_time;
};
static_assert(std::is_trivially_copyable_v<FileStatus>);

// Marker codes of a row.
using StatusMarker = std::uint8_t;
inline constexpr StatusMarker kMarkerEqual = 1;       // " == "
inline constexpr StatusMarker kMarkerLeftNewer = 2;   // " >> "
inline constexpr StatusMarker kMarkerRightNewer = 3;  // " << "
inline constexpr StatusMarker kMarkerAdapted = 4;     // " ## "
inline constexpr StatusMarker kMarkerLeftOnly = 5;    // " ++ "
inline constexpr StatusMarker kMarkerRightOnly = 6;   // " XX "
inline constexpr StatusMarker kMarkerNone = 255;      // the left copy vanished: no text

inline constexpr std::uint8_t kSideLeft = 1;
inline constexpr std::uint8_t kSideRight = 0;
inline constexpr std::int32_t kStampTolerance = 2000;  // milliseconds
inline constexpr std::uint16_t kNameWidth = 38;
inline constexpr std::uint16_t kLineLimit = 384;
inline constexpr StrDesc kAdaptedFolder = Lit("Adap");
// The line: the name, size, date, time and marker fields.
inline constexpr StrDesc kLineFormat = Lit(" %s%s  %s  %s %s");

// A row's marker, its line for one side (empty when the row has no name
// there) and the exact name the line was built from (a view into the lists).
struct EntryLine {
  StatusMarker marker;
  StrDesc line;
  StrDesc name;
};

// What the exact path holds (no wildcard is interpreted): status 0 with the
// size and the local dates and times of its three stamps, or 164.
[[nodiscard]] FileStatus QueryFileStatus(StrDesc path);
// 1 when A is later, -1 when earlier, 0 when equal within the tolerance on the same date.
[[nodiscard]] std::int16_t CompareStamps(std::int32_t date_a, std::int32_t time_a,
                                         std::int32_t date_b, std::int32_t time_b,
                                         std::int32_t tolerance);
// "HH:MM" of a time of day in milliseconds; one new string.
[[nodiscard]] StrDesc FormatTimeOfDay(std::int32_t milliseconds);
// The same five characters written to out.
void WriteTimeOfDay(std::int32_t milliseconds, char out[5]);
// The marker's four characters (" == " ...), empty for 255.
[[nodiscard]] StrDesc MarkerText(StatusMarker marker);
// The name read back from a line: its 38 characters after the leading
// blank, trailing blanks stripped (a view).
[[nodiscard]] StrDesc LineFileName(StrDesc line);

// One pass over two folders, prepared once so that every row costs the same
// whatever its number: the name lists' items, which of them the other side
// holds, the right-only names in order, the entries the listings read (and
// which entry each row's name is) and the contents of the adapted-copy
// folders. The lists' bytes must outlive the pass.
struct ComparePass {
  static constexpr std::uint32_t kNoEntry = NameTable::kNoName;
  StrDesc left_folder, right_folder, left_list, right_list, adapted;
  std::vector<StrDesc> left_names;
  // For each left name: whether the right list holds it, and the entry of
  // the name in each listing's snapshot (kNoEntry without a snapshot).
  std::vector<bool> left_on_right;
  std::vector<std::uint32_t> left_entry, left_right_entry;
  std::vector<StrDesc> right_only;  // right names that are not left names, in right order
  std::vector<std::uint32_t> right_only_entry;
  const FolderSnapshot* left_entries = nullptr;  // optional: what the listings read
  const FolderSnapshot* right_entries = nullptr;
  bool adapted_listed = false;
  // The "Adap" folders of both sides: their paths, and their names when the
  // folder could be read (else each name is looked up there by itself).
  struct AdaptedFolder {
    std::string path;
    OwnedNames names;
    bool read = false;
  };
  AdaptedFolder adapted_folders[2];
  bool current_listed = false;  // the current folder's names were read
  OwnedNames current_names;
  // Short dates already shown in this pass, by date number (the language
  // cannot change within a pass).
  mutable std::unordered_map<std::int32_t, std::string> short_dates;
  // Local dates and times of stamps converted in this pass (the time zone
  // cannot change within a pass), by stamp.
  struct StampMemo {
    bool used = false;
    std::int64_t stamp = 0;
    std::int32_t date = 0, time = 0;
  };
  mutable std::array<StampMemo, 64> stamps{};
  // The last name compared: a row's second line reuses its first one's work.
  struct Compared {
    const char* name = nullptr;
    std::uint16_t length = 0;
    StatusMarker start = 0, marker = 0;
    FileStatus left{}, right{};
  };
  mutable Compared last;
};

// Prepares a pass. The snapshots, when given, must be those of the listings
// that produced the two lists, taken just before.
void PrepareComparePass(ComparePass* pass, StrDesc left_folder, StrDesc right_folder,
                        StrDesc left_list, StrDesc right_list, StrDesc adapted,
                        const FolderSnapshot* left_entries = nullptr,
                        const FolderSnapshot* right_entries = nullptr);

// Row i (from 1) of the pass for one side; the line is one new string.
[[nodiscard]] EntryLine BuildPassLine(const ComparePass& pass, std::uint16_t row,
                                      std::uint8_t side);

// Row i for one side of two folders and their name lists, as one call.
[[nodiscard]] EntryLine BuildEntryLine(StrDesc left_folder, StrDesc right_folder, StrDesc left_list,
                                       StrDesc right_list, std::uint16_t row, std::uint8_t side,
                                       StrDesc adapted);
