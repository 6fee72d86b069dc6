// Separated lists: texts whose items, numbered from 1, are separated by one
// character. A separator other than NUL is searched quote-aware (so 'a,b' is
// one item and keeps its quotes); NUL is searched plainly. The empty text has
// no items; a separator at the very end adds an empty last item.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

inline constexpr char kComma = ',';
inline constexpr char kNul = '\0';

// Number of items; 0 for "" and for an ErrorDescriptor.
[[nodiscard]] std::uint16_t ItemCount(StrDesc list, char separator);

// View of item n (no copy); n = 0 gives the empty view at the start, n beyond
// the count the empty view at the end. An ErrorDescriptor is returned as it is.
[[nodiscard]] StrDesc Item(StrDesc list, char separator, std::uint16_t n);

// 1-based number of the first item equal to text (bytewise, quotes included),
// 0 if none or either argument is an ErrorDescriptor.
[[nodiscard]] std::uint16_t ItemIndex(StrDesc list, StrDesc text, char separator);

// Pushes the list with item n set to text as the new top string (one new
// string) and returns 0. n = 0 appends; a negative n deletes item -n (a
// delete beyond the count pushes the list unchanged). Statuses: an argument's
// own, 145 when the area is full, 146 when the new list passes 65,535 bytes.
// The arguments must not lie in released area memory.
[[nodiscard]] StatusWord SetItem(StrDesc list, StrDesc text, char separator, std::int16_t n);

// New string: first, separator, second; the separator only when both are non-empty.
[[nodiscard]] StrDesc Join(StrDesc first, StrDesc separator, StrDesc second);

// Mode 0: the largest item length after Unquote (0 without items); mode 1: the
// smallest (the list's own length without items). 0 for an ErrorDescriptor.
[[nodiscard]] std::uint16_t LongestItem(StrDesc list, char separator, std::uint8_t mode);

// Walking a list: the view of the current item at the start of rest, and the
// rest after it (past its separator). Used by the list operations and by
// callers that walk long lists in one pass instead of asking Item(n) per n.
struct ListCursor {
  StrDesc rest;
  char separator;
};
static_assert(std::is_trivially_copyable_v<ListCursor>);
// The item at the cursor; the cursor moves past it and its separator.
[[nodiscard]] StrDesc NextItem(ListCursor* cursor);
