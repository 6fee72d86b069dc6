// The row loop that fills the two columns: both folders listed, then row by
// row the left line and the right line (the left line itself when it is
// " == "), until both lines are empty and every left name is done. The
// window and the headless report share it.
#pragma once

#include <cstdint>

#include "compare/entry_line.h"
#include "compare/listing.h"

// One row: both lines and the exact names they were built from (empty for an
// empty line). All four live on the string area until the next row.
struct RowText {
  StrDesc left_line, right_line;
  StrDesc left_name, right_name;
  StatusMarker marker;
};

// Called for each row; the texts are valid only during the call.
using RowSink = void (*)(const RowText& row, void* context);

struct RowPass {
  ListOutcome left_outcome, right_outcome;
  std::uint16_t rows;
  bool all_equal;     // every row's marker is " == "
  StatusWord status;  // 0, or why the rows stopped early (a line could not be built)
};

// True when the outcome means the folder cannot be shown (too many names).
[[nodiscard]] bool ListingRefused(ListOutcome outcome);

// Lists both folders (an empty folder text gives the empty list) and hands
// every row to sink. When either listing is refused, no row is produced; nor
// when unreadable_stops is set and a folder cannot be read (the window shows
// such a folder as empty, the report refuses it). Leaves nothing on the area.
RowPass FillRows(StrDesc left_folder, StrDesc right_folder, RowSink sink, void* context,
                 bool unreadable_stops = false);
