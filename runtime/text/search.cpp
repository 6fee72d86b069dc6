#include "runtime/text/search.h"

#include <array>
#include <cstring>

namespace {

using CharSet = std::array<bool, 256>;

bool Usable(StrDesc s) { return s.ptr != nullptr; }

unsigned char At(StrDesc s, std::uint32_t i) { return static_cast<unsigned char>(s.ptr[i]); }

// The first position in [start, end) holding a character of the set; with
// quote-awareness, quoted sections are skipped and quotes never match.
std::uint16_t ScanSet(StrDesc text, std::uint32_t start, std::uint32_t end, const CharSet& set,
                      SearchMode mode) {
  if (end > text.len) end = text.len;
  std::uint32_t i = start;
  while (i < end) {
    const unsigned char ch = At(text, i);
    if (mode == kQuoteAware && (ch == '\'' || ch == '"')) {
      // Skip to the closing quote of the same kind; none hides the rest.
      const void* close = std::memchr(text.ptr + i + 1, ch, end - i - 1);
      if (close == nullptr) return kNotFound;
      i = static_cast<std::uint32_t>(static_cast<const char*>(close) - text.ptr) + 1;
      continue;
    }
    if (set[ch]) return static_cast<std::uint16_t>(i);
    ++i;
  }
  return kNotFound;
}

CharSet SetOf(StrDesc chars) {
  CharSet set{};
  for (std::uint32_t i = 0; i < chars.len; ++i) set[At(chars, i)] = true;
  return set;
}

CharSet SetOfOne(char c) {
  CharSet set{};
  set[static_cast<unsigned char>(c)] = true;
  return set;
}

std::uint16_t LastInSet(StrDesc text, const CharSet& set, SearchMode mode) {
  if (!Usable(text)) return kNotFound;
  std::uint16_t last = kNotFound;
  std::uint32_t start = 0;
  // A match is always outside quotes, so scanning on from one past it is the
  // same as restarting the search on the view after it.
  while (start < text.len) {
    std::uint16_t p = ScanSet(text, start, text.len, set, mode);
    if (p == kNotFound) break;
    last = p;
    start = std::uint32_t{p} + 1;
  }
  return last;
}

}  // namespace

std::uint16_t FindChar(StrDesc text, char c, SearchMode mode) {
  return FindCharFrom(text, 0, c, mode);
}

std::uint16_t FindCharFrom(StrDesc text, std::uint16_t start, char c, SearchMode mode) {
  if (!Usable(text) || start >= text.len) return kNotFound;
  if (mode != kQuoteAware) {
    const void* hit = std::memchr(text.ptr + start, c, text.len - start);
    return hit == nullptr ? kNotFound
                          : static_cast<std::uint16_t>(static_cast<const char*>(hit) - text.ptr);
  }
  return ScanSet(text, start, text.len, SetOfOne(c), mode);
}

std::uint16_t FindAnyOf(StrDesc text, StrDesc set, SearchMode mode, std::uint16_t start) {
  if (!Usable(text) || !Usable(set) || start >= text.len) return kNotFound;
  return ScanSet(text, start, text.len, SetOf(set), mode);
}

std::uint16_t FindText(StrDesc text, StrDesc pattern, SearchMode mode) {
  if (!Usable(text) || !Usable(pattern) || pattern.len == 0) return kNotFound;
  const std::uint32_t n = text.len, m = pattern.len;
  if (n < m) return kNotFound;
  const CharSet first = SetOfOne(pattern.ptr[0]);
  std::uint32_t p = 0;
  while (p + m <= n) {
    // Only positions where a whole match can start; quote tracking starts afresh at p.
    StrDesc view{text.ptr + p, static_cast<std::uint16_t>(n - p)};
    std::uint16_t f = ScanSet(view, 0, n - p - m + 1, first, mode);
    if (f == kNotFound) return kNotFound;
    const std::uint32_t at = p + f;
    if (std::memcmp(text.ptr + at, pattern.ptr, m) == 0) return static_cast<std::uint16_t>(at);
    p = at + 1;
  }
  return kNotFound;
}

std::uint16_t FindLastChar(StrDesc text, char c, SearchMode mode) {
  return LastInSet(text, SetOfOne(c), mode);
}

std::uint16_t FindLastAnyOf(StrDesc text, StrDesc set, SearchMode mode) {
  if (!Usable(set)) return kNotFound;
  return LastInSet(text, SetOf(set), mode);
}

std::uint16_t CountText(StrDesc text, StrDesc pattern, SearchMode mode) {
  if (!Usable(text) || !Usable(pattern) || pattern.len == 0) return 0;
  std::uint16_t count = 0;
  std::uint32_t from = 0;
  while (from < text.len) {
    StrDesc rest{text.ptr + from, static_cast<std::uint16_t>(text.len - from)};
    std::uint16_t f = FindText(rest, pattern, mode);
    if (f == kNotFound) break;
    ++count;
    from += f + std::uint32_t{pattern.len};
  }
  return count;
}

std::uint16_t FindRecord(const void* array, std::uint16_t n, const void* key, std::uint16_t width) {
  if (array == nullptr || key == nullptr) return kNotFound;
  const auto* bytes = static_cast<const unsigned char*>(array);
  for (std::uint16_t i = 0; i < n; ++i) {
    if (std::memcmp(bytes + std::size_t{i} * width, key, width) == 0) return i;
  }
  return kNotFound;
}

std::uint16_t FindZeroSlot(const void* array, std::uint16_t n) {
  static constexpr unsigned char kZero[4] = {0, 0, 0, 0};
  return FindRecord(array, n, kZero, 4);
}
