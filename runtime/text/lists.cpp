#include "runtime/text/lists.h"

#include <cstring>

#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

namespace {

SearchMode ModeFor(char separator) { return separator == kNul ? kPlain : kQuoteAware; }

// Length of the item at the start of rest.
std::uint16_t ItemEnd(StrDesc rest, char separator) {
  std::uint16_t p = FindChar(rest, separator, ModeFor(separator));
  return p == kNotFound ? rest.len : p;
}

// Moves past the item at the start of rest and past its separator, if any.
StrDesc SkipItem(StrDesc rest, char separator) {
  std::uint32_t end = ItemEnd(rest, separator);
  if (end < rest.len) ++end;
  return StrDesc{rest.ptr + end, static_cast<std::uint16_t>(rest.len - end)};
}

}  // namespace

StrDesc NextItem(ListCursor* cursor) {
  StrDesc item{cursor->rest.ptr, ItemEnd(cursor->rest, cursor->separator)};
  cursor->rest = SkipItem(cursor->rest, cursor->separator);
  return item;
}

std::uint16_t ItemCount(StrDesc list, char separator) {
  if (list.ptr == nullptr || list.len == 0) return 0;
  std::uint32_t count = 0;  // 65,535 separators make 65,536 items
  StrDesc rest = list;
  while (rest.len != 0) {
    rest = SkipItem(rest, separator);
    ++count;
  }
  if (list.ptr[list.len - 1] == separator) ++count;
  return count > 65535u ? std::uint16_t{65535} : static_cast<std::uint16_t>(count);
}

StrDesc Item(StrDesc list, char separator, std::uint16_t n) {
  if (list.ptr == nullptr) return list;
  if (n == 0) return StrDesc{list.ptr, 0};
  StrDesc rest = list;
  std::uint16_t skipped = 0;
  while (skipped < n - 1 && rest.len != 0) {
    rest = SkipItem(rest, separator);
    ++skipped;
  }
  if (skipped == n - 1) return StrDesc{rest.ptr, ItemEnd(rest, separator)};
  return StrDesc{list.ptr + list.len, 0};
}

std::uint16_t ItemIndex(StrDesc list, StrDesc text, char separator) {
  if (list.ptr == nullptr || text.ptr == nullptr) return 0;
  if (list.len < text.len) return 0;
  StrDesc rest = list;
  std::uint16_t number = 1;
  for (;;) {
    const std::uint16_t end = ItemEnd(rest, separator);
    if (end == text.len && (end == 0 || std::memcmp(rest.ptr, text.ptr, end) == 0)) return number;
    rest = SkipItem(rest, separator);
    if (rest.len == 0 || rest.len < text.len) return 0;
    ++number;
  }
}

StatusWord SetItem(StrDesc list, StrDesc text, char separator, std::int16_t n_arg) {
  if (StatusWord st = DescStatus(list); st != kOk) return st;
  if (StatusWord st = DescStatus(text); st != kOk) return st;
  const std::int32_t count = ItemCount(list, separator);
  // A list at the most items a count can say cannot take another one.
  if (count == 65535 && n_arg == 0) return kErrStringTooLong;
  std::int32_t n = n_arg;  // 32 bits: -(-32768) must not overflow
  bool remove = false;
  if (n == 0) n = count + 1;
  if (n < 0) {
    text = EmptyDesc();
    n = -n;
    remove = true;
  }
  if (n > 65535) n = 65535;
  const StrDesc item = Item(list, separator, static_cast<std::uint16_t>(n));
  const std::int32_t p = static_cast<std::int32_t>(item.ptr - list.ptr);
  const std::int32_t k = item.len;
  const std::int32_t c = count > 1 ? count : 1;
  std::int32_t e = 0;
  if (remove) {
    if (n > c) return PushCopy(list);
    e = c > 1 ? -1 : 0;
  } else {
    e = n - c > 0 ? n - c : 0;
  }
  const std::int32_t new_len = std::int32_t{list.len} + e + (std::int32_t{text.len} - k);
  if (new_len > 65535) return kErrStringTooLong;
  char* out = ReserveTopPtr(static_cast<std::uint16_t>(new_len), kNoFill);
  if (out == nullptr) return kErrOutOfMemory;
  std::int32_t before = p;          // bytes of the list kept before the item
  std::int32_t after_from = p + k;  // first byte of the list kept after it
  if (e < 0) {
    if (p == 0) {
      ++after_from;  // item 1: the separator after it goes
    } else {
      --before;  // otherwise the separator before it goes
    }
  }
  char* w = out;
  std::memcpy(w, list.ptr, static_cast<std::size_t>(before));
  w += before;
  for (std::int32_t i = 0; i < e; ++i) *w++ = separator;
  if (text.len != 0) std::memcpy(w, text.ptr, text.len);
  w += text.len;
  if (after_from < list.len) {
    std::memcpy(w, list.ptr + after_from, static_cast<std::size_t>(list.len - after_from));
  }
  return kOk;
}

StrDesc Join(StrDesc first, StrDesc separator, StrDesc second) {
  if (DescStatus(first) != kOk) return first;
  if (DescStatus(separator) != kOk) return separator;
  if (DescStatus(second) != kOk) return second;
  const AreaMark mark = MarkArea();
  StatusWord st;
  if (first.len != 0 && second.len != 0) {
    st = PushConcat(first, separator);
    if (st == kOk) st = PushConcat(TopString(), second);
  } else {
    st = PushCopy(first.len != 0 ? first : second);
  }
  if (st != kOk) return KeepResult(mark, ErrorDesc(st));
  return KeepResult(mark, TopString());
}

std::uint16_t LongestItem(StrDesc list, char separator, std::uint8_t mode) {
  if (list.ptr == nullptr) return 0;
  if (list.len == 0) return mode == 0 ? 0 : list.len;
  std::uint16_t best = mode == 0 ? 0 : 65535;
  const std::uint16_t count = ItemCount(list, separator);
  ListCursor cursor{list, separator};
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint16_t len = Unquote(NextItem(&cursor)).len;
    if (mode == 0 ? len > best : len < best) best = len;
  }
  return best;
}
