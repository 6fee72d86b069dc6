// The rows the file actions read and rebuild: one column of the side-by-side
// view, as a small table of calls that the window's list boxes and the
// headless report implement alike. Lines and names are exact bytes; a row's
// name is the one its line was built from (empty for an empty line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/memory/str_desc.h"

struct RowList {
  void* context;
  std::uint16_t (*count)(void* context);
  // The line and the name of a row (views, valid until the row changes).
  StrDesc (*line)(void* context, std::uint16_t row);
  StrDesc (*name)(void* context, std::uint16_t row);
  // Replaces a row: its line removed and the new one put in its place.
  void (*replace)(void* context, std::uint16_t row, StrDesc line, StrDesc name);
};

// A column kept in memory: its lines and names, and an optional hook told
// after each replaced row (the window shows the new line with it).
struct RowColumn {
  std::vector<std::string> lines, names;
  void (*on_replace)(void* context, std::uint16_t row) = nullptr;
  void* hook_context = nullptr;
};

// The RowList of a column (row numbers past the end give empty texts and
// replace nothing).
[[nodiscard]] RowList RowListOf(RowColumn* column);
