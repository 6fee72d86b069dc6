// The two actions on one row of the side-by-side view: copying its file
// across (">>", "<<", and each copy of the bulk passes) and deleting it on
// one side. Both save the file about to be lost into the backup tree first,
// and touch nothing when that backup cannot be made whole. A failure leaves
// "file: reason" in the DetailLog for the error box. Nothing is left on the
// string area.
#pragma once

#include <cstdint>
#include <type_traits>

#include "actions/rows.h"
#include "runtime/memory/str_desc.h"

struct LineAction {
  StatusWord status;  // 0, or why nothing (or not all) was done
  bool acted;         // a file was copied or deleted (the rows show it)
};
static_assert(std::is_trivially_copyable_v<LineAction>);

// Copies the file of row `row` of the source column from the source folder
// to the destination folder: checks that the copy is allowed (a regular
// source, a destination that is no folder, not read-only, not the source
// itself), backs up an existing destination, copies fail-safe and rebuilds
// the row in both columns (the new line at the same place, no row selected).
// An empty row or destination folder does nothing (status 0, not acted).
[[nodiscard]] LineAction CopyLineFile(StrDesc source_folder, StrDesc destination_folder,
                                      const RowList& source, const RowList& destination,
                                      std::uint16_t row);

// Deletes the file of row `row` of the column from the folder, after its
// backup: a regular file its owner may write, never a folder. The line is
// emptied once the file is gone (also when it was gone already); otherwise
// the row keeps its text.
[[nodiscard]] LineAction DeleteLineFile(StrDesc folder, const RowList& column, std::uint16_t row);
