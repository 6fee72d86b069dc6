// Display masks and fixed-width fields.
//
// A mask is a text whose placeholders take a value character by character:
// "\" and "?" take characters of a text, "#" and "0" digits of a number
// ("#" is blank where the number has no digit, "0" stays "0"); in a numeric
// mask "." is the decimal point and "," a thousands separator shown only
// between digits. Every other character is copied as it stands. In a text
// mask "\", blanks, "\" abbreviates a run of as many "\" as it is long.
//
// Text positions count UTF-8 characters: each takes one whole character of
// the text (a byte that is not part of a valid sequence counts as one), so
// masked texts line up in characters whatever their bytes, and a cut never
// splits a character.
//
// Every operation here builds one new string above the caller's mark, or
// returns an ErrorDescriptor (145 area full, 146 longer than 65,535 bytes, an
// argument's own status) and leaves nothing.
#pragma once

#include <cstdint>

#include "runtime/memory/str_desc.h"

// ApplyMask's modes.
using MaskMode = std::uint8_t;
inline constexpr MaskMode kMaskText = 0;
inline constexpr MaskMode kMaskNumber = 1;
inline constexpr MaskMode kMaskDecide = 255;

// The first placeholder of a mask, by its index in "\?#0".
using MaskKind = std::uint8_t;
inline constexpr MaskKind kKindBackslash = 0;
inline constexpr MaskKind kKindQuestion = 1;
inline constexpr MaskKind kKindHash = 2;
inline constexpr MaskKind kKindZero = 3;

// The text placed into the mask. The first placeholder outside quotes
// decides the kind; the number path (FormatNumberMask of the trimmed text) is
// taken for mode 1, or for mode 255 when the kind is "#" or "0" and the text
// holds only ".-1234567890,D " characters. Otherwise FormatTextMask, except
// that a "#"/"0" mask without "\" and "?" comes back as it is. A mask without
// placeholders comes back as it is.
[[nodiscard]] StrDesc ApplyMask(StrDesc mask, StrDesc text, MaskMode mode = kMaskDecide);

// The mask with the number placed right-aligned into its digit area (from
// the first "#" or "0" to the last): rounded half away from zero to the
// mask's decimals, missing decimals written as "0", a "0" before a point with
// no digit in front. When the integer part needs more places, the separators
// and then the decimals give theirs up; a number that still does not fit
// comes back whole, wider than the mask, rather than losing digits. A "D"
// power of ten is written out first.
[[nodiscard]] StrDesc FormatNumberMask(StrDesc mask, StrDesc number);

// The mask with the text placed into its text positions: "\" (and "?" for
// kinds 0 and 2) takes the next character of the text, "?" for kinds 1 and 3
// the text's character at the same position as itself; a blank where the
// text has none. Characters of the text beyond the positions are left out.
[[nodiscard]] StrDesc FormatTextMask(StrDesc mask, StrDesc text, MaskKind kind);

// The value fitted to a field of width bytes, by field type:
// "V" and unknown types: width blanks; "A", "B", "C", "P": left-aligned,
// blank-padded or cut (never inside a UTF-8 character); "D", "F": the same,
// an 8-character value in a 6-byte field losing its first 2 characters;
// "N", "L", "1" to "9": the trimmed number right-aligned, rounded half away
// from zero to the decimals that fit when it is wider; the ErrorDescriptor
// 168 when its integer part does not fit.
[[nodiscard]] StrDesc FitField(char type, StrDesc value, std::uint16_t width);

// A mask of width characters for a field type: "\" for "A", "B", "D", "L";
// "#" for "N" and "1" to "9", with a "." that leaves that many decimals when
// the width has room for one integer digit besides; "" for other types.
[[nodiscard]] StrDesc TypeMask(char type, std::uint16_t width);

// The byte length of the UTF-8 character at pos: 2 to 4 for a valid
// multi-byte sequence, else 1; 0 at or past the end or for an ErrorDescriptor.
[[nodiscard]] std::uint16_t Utf8CharLength(StrDesc text, std::uint16_t pos);
