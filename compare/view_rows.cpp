#include "compare/view_rows.h"

#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"
#include "runtime/text/strings.h"

namespace {

bool EndsEqual(StrDesc line) {
  const StrDesc equal = MarkerText(kMarkerEqual);
  return line.len >= equal.len && SameText(Substring(line, -4, 4), equal);
}

}  // namespace

bool ListingRefused(ListOutcome outcome) {
  return outcome == ListOutcome::kTooLarge || outcome == ListOutcome::kOutOfMemory;
}

RowPass FillRows(StrDesc left_folder, StrDesc right_folder, RowSink sink, void* context,
                 bool unreadable_stops) {
  const AreaMark mark = MarkArea();
  RowPass pass{ListOutcome::kNoFolder, ListOutcome::kNoFolder, 0, true, kOk};
  FolderSnapshot left_entries, right_entries;
  StrDesc left_list = EmptyDesc(), right_list = EmptyDesc();
  if (left_folder.len != 0) {
    left_list = ListFolder(left_folder, kArchiveMask, &pass.left_outcome, &left_entries);
  }
  if (right_folder.len != 0) {
    right_list = ListFolder(right_folder, kArchiveMask, &pass.right_outcome, &right_entries);
  }
  const auto stops = [unreadable_stops](ListOutcome outcome) {
    return ListingRefused(outcome) || (unreadable_stops && outcome == ListOutcome::kUnreadable);
  };
  if (stops(pass.left_outcome) || stops(pass.right_outcome)) {
    ReleaseArea(mark);
    pass.all_equal = false;
    return pass;
  }
  ComparePass compare;
  PrepareComparePass(&compare, left_folder, right_folder, left_list, right_list, kAdaptedFolder,
                     &left_entries, &right_entries);
  const std::size_t left_count = compare.left_names.size();
  const AreaMark rows_mark = MarkArea();
  for (std::uint32_t i = 1; i <= 65535; ++i) {
    ReleaseArea(rows_mark);
    const auto row = static_cast<std::uint16_t>(i);
    const EntryLine left = BuildPassLine(compare, row, kSideLeft);
    EntryLine right = left;
    if (left.line.ptr != nullptr && !EndsEqual(left.line)) {
      right = BuildPassLine(compare, row, kSideRight);
    }
    if (left.line.ptr == nullptr || right.line.ptr == nullptr) {
      // A line the area could not hold: the rows end here, never with a false one.
      pass.status = DescStatus(left.line.ptr == nullptr ? left.line : right.line);
      pass.all_equal = false;
      break;
    }
    const bool any = left.line.len != 0 || right.line.len != 0;
    if (any) {
      RowText text{left.line, right.line, left.line.len != 0 ? left.name : EmptyDesc(),
                   right.line.len != 0 ? right.name : EmptyDesc(),
                   left.line.len != 0 ? left.marker : right.marker};
      if (text.marker != kMarkerEqual) pass.all_equal = false;
      sink(text, context);
      ++pass.rows;
    }
    if (!any && i >= left_count) break;
  }
  ReleaseArea(mark);
  return pass;
}
