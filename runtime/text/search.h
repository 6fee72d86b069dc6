// Searching texts. Positions are 0-based and 16-bit; 65535 (kNotFound) means
// nothing was found, also when a text argument is an ErrorDescriptor. None of
// these operations touches the StringArea.
//
// SearchMode: non-zero is a plain search; 0 skips text between a quote (' or ")
// and the next same quote, and never finds the quote characters themselves.
// An opening quote without its closing one hides the rest of the text.
#pragma once

#include <cstdint>

#include "runtime/memory/str_desc.h"

using SearchMode = std::uint8_t;
inline constexpr SearchMode kQuoteAware = 0;
inline constexpr SearchMode kPlain = 1;

// First position of c.
[[nodiscard]] std::uint16_t FindChar(StrDesc text, char c, SearchMode mode);
// First position of c at or after start (65535 when start >= length).
[[nodiscard]] std::uint16_t FindCharFrom(StrDesc text, std::uint16_t start, char c,
                                         SearchMode mode);
// Lowest position at or after start holding any character of set.
[[nodiscard]] std::uint16_t FindAnyOf(StrDesc text, StrDesc set, SearchMode mode,
                                      std::uint16_t start = 0);
// First position at which the whole pattern occurs (65535 for an empty pattern).
[[nodiscard]] std::uint16_t FindText(StrDesc text, StrDesc pattern, SearchMode mode);
// Last position of c.
[[nodiscard]] std::uint16_t FindLastChar(StrDesc text, char c, SearchMode mode);
// Last position holding any character of set.
[[nodiscard]] std::uint16_t FindLastAnyOf(StrDesc text, StrDesc set, SearchMode mode);
// Number of non-overlapping occurrences, counted left to right (0 for an empty pattern).
[[nodiscard]] std::uint16_t CountText(StrDesc text, StrDesc pattern, SearchMode mode);
// Index of the first of n elements of width bytes equal to key; 65535 if none.
[[nodiscard]] std::uint16_t FindRecord(const void* array, std::uint16_t n, const void* key,
                                       std::uint16_t width);
// FindRecord with a key of four zero bytes and width 4.
[[nodiscard]] std::uint16_t FindZeroSlot(const void* array, std::uint16_t n);
