// Formatted output and numbers as text.
//
// FormatText places texts into a format with a length limit; the rest turns
// 16-bit integers and 64-bit fixed-point numbers (a value times 10 to the
// power d, d the number of implied decimals) into text and back. Building
// operations follow the area idiom: they leave exactly one new string above
// the caller's mark and return it, or return an ErrorDescriptor (145 area
// full, 146 longer than 65,535 bytes, an argument's own status) and leave
// nothing. An ErrorDescriptor argument is passed through unchanged. Text
// arguments must not lie in released area memory. All arithmetic is 64-bit
// integer arithmetic; results that would leave the 64-bit range saturate at
// its limits instead of wrapping.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "runtime/memory/str_desc.h"

// --- formatted output ---

// The format with each "%s" replaced by the next argument (none left: by
// nothing) and each "%%" by "%"; any other "%" is copied as it stands, and
// nothing else of the format is interpreted. One new string; 146 (recorded
// for subsystem 16) when it would be longer than limit bytes, 145 when the
// area is full, 163 for a null format.
[[nodiscard]] StrDesc FormatText(std::uint16_t limit, StrDesc format,
                                 std::span<const StrDesc> args);
[[nodiscard]] StrDesc FormatText(std::uint16_t limit, const char* format,
                                 std::span<const StrDesc> args);
[[nodiscard]] inline StrDesc FormatText(std::uint16_t limit, StrDesc format,
                                        std::initializer_list<StrDesc> args) {
  return FormatText(limit, format, std::span<const StrDesc>(args.begin(), args.size()));
}
[[nodiscard]] inline StrDesc FormatText(std::uint16_t limit, const char* format,
                                        std::initializer_list<StrDesc> args) {
  return FormatText(limit, format, std::span<const StrDesc>(args.begin(), args.size()));
}

// --- 16-bit integers ---

// New string of the decimal text ("-" for a negative value).
[[nodiscard]] StrDesc IntToText(std::int16_t value);
// Writes the decimal text at the buffer's start and returns (buffer, its
// length); nothing is pushed. 168 when the buffer is too small for it (7
// bytes always do), 163 for a null buffer.
[[nodiscard]] StrDesc IntToBuffer(std::int16_t value, std::span<char> buffer);
// As IntToBuffer, then a text shorter than width is moved to the right end of
// width bytes and the left filled with fill (a "0" fill goes after the sign);
// the view has max(width, text length) bytes. 168 when the buffer is smaller.
[[nodiscard]] StrDesc IntToBufferPadded(std::int16_t value, std::uint16_t width, char fill,
                                        std::span<char> buffer);

// --- fixed-point numbers ---

// The decimals of the runtime's default fixed-point numbers (setting 32).
[[nodiscard]] std::uint16_t DecimalPrecision();

// New string of value / 10^d: trailing zero decimals are dropped and no digit
// is written for a zero integer part, so (5, 2) is ".05", (1500, 2) is "15"
// and (0, 2) is "". 146 when it would pass 65,535 bytes.
[[nodiscard]] StrDesc FixedToText(std::int64_t value, std::uint16_t d);
// FixedToText with d = 0.
[[nodiscard]] StrDesc WholeToText(std::int64_t value);
// FixedToText with d = DecimalPrecision().
[[nodiscard]] StrDesc ScaledToText(std::int64_t value);

// A number text's digits with d decimals: the digits view and how many
// decimals of the text go beyond d.
struct DigitText {
  StrDesc digits;
  std::uint16_t extra;
};

// The trimmed number text (see TextToFixed for its form) written without its
// point: "-" for a negative number, the integer digits, exactly d decimals
// (missing ones as "0"), then the text's further decimals, at most 20
// characters in all. One new string (the digits); extra counts the further
// decimals written. An ErrorDescriptor (145 when the area is full) and extra 0
// on failure.
[[nodiscard]] DigitText TextToDigits(StrDesc text, std::uint16_t d);

// The value of a number text times 10^DecimalPrecision(), rounded half away
// from zero. The text is trimmed; it is an optional sign, digits, optionally
// "." and decimals, optionally "D" and a power of ten (ToInt), and reading
// stops at the first character that does not fit that form. 0 for an
// ErrorDescriptor. Pushes nothing.
[[nodiscard]] std::int64_t TextToFixed(StrDesc text);

// Leading white space, an optional sign and decimal digits, read as a 64-bit
// number (saturating); 0 when there are no digits or for an ErrorDescriptor.
[[nodiscard]] std::int64_t ToInt64(StrDesc text);

// A value at from decimals brought to to decimals: multiplied by 10^(to-from),
// or rounded half away from zero to a multiple of 10^(from-to) and left at the
// old scale.
[[nodiscard]] std::int64_t RescaleFixed(std::int64_t value, std::uint16_t from, std::uint16_t to);

// a / b rounded half away from zero; 0 when b is 0.
[[nodiscard]] std::int64_t DivideRounded(std::int64_t a, std::int64_t b);

// --- number texts ---

// New string of the number text with a "D" power of ten written out as plain
// digits ("1.5D3" gives "1500", "5D-2" gives ".05"); a copy of the text when
// it holds no "D". 146 when the written-out number would pass 65,535 bytes.
[[nodiscard]] StrDesc ExpandExponent(StrDesc number);

// New string of the number text (TextToFixed's form) rounded half away from
// zero to at most d decimals: "-" when negative, the integer digits without
// leading zeros ("0" when there are none), and "." with the decimals when any
// are not zero; a zero value is "0". Exact for any number of digits. 146 when
// it would pass 65,535 bytes.
[[nodiscard]] StrDesc RoundNumberText(StrDesc number, std::uint16_t d);
