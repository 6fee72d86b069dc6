// Dates: a date number is year * 10000 + month * 100 + day (0 = no date),
// its text the eight digits YYYYMMDD. Display forms follow the language's
// order of day and month. Text results leave exactly one new string above the
// caller's mark (an ErrorDescriptor and nothing when the area is full).
#pragma once

#include <cstdint>

#include "runtime/memory/str_desc.h"

using DateNumber = std::int32_t;

// Display forms of FormatDate.
inline constexpr std::uint8_t kDateAsGiven = 0;    // the text itself
inline constexpr std::uint8_t kDateShort = 1;      // 03-15-17 (8 characters)
inline constexpr std::uint8_t kDateShortFull = 2;  // 03-15-2017 (10 characters)
inline constexpr std::uint8_t kDateMonthYear = 3;  // "[M] [Y]", month cut to 3
inline constexpr std::uint8_t kDateLong = 4;       // the language's long pattern
inline constexpr std::uint16_t kDateAllParts = 15;
inline constexpr std::size_t kDateTextLength = 8;

// Days of the month: 28/29 for February (Gregorian leap years), 30 for April,
// June, September and November, 31 for every other value.
[[nodiscard]] std::uint8_t DaysInMonth(std::uint16_t year, std::uint16_t month);
// 0 and the eight digits written to buffer, or 163 (buffer untouched) when invalid.
[[nodiscard]] StatusWord IsValidDate(DateNumber date, char buffer[kDateTextLength]);
// The date text, or empty text when the number is not a valid date.
[[nodiscard]] StrDesc DateToText(DateNumber date);
// The number read from a date text: year from the first 4 characters, month
// from the 2 that start 4 before the end, day from the last 2.
[[nodiscard]] DateNumber TextToDate(StrDesc text, std::uint16_t parts);
// Today's local date number.
[[nodiscard]] DateNumber Today();
// The text itself unless it is empty (and settings bit 0x40 of entry 0 is
// off): then today's date text, as one new string. A non-empty text is
// returned as it is and nothing is pushed.
[[nodiscard]] StrDesc DefaultToToday(StrDesc text);
// The date text in display form 0 to 4; blanks of the form's width (8, 10 or
// none) for an invalid date.
[[nodiscard]] StrDesc FormatDate(StrDesc text, std::uint8_t form);
// year, month and day joined with "-" in the language's order.
[[nodiscard]] StrDesc ShortDate(StrDesc year, StrDesc month, StrDesc day);
