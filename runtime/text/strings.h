// Building, viewing, writing and comparing texts.
//
// Building operations follow the area idiom: they leave exactly one new
// string above the caller's mark and return it, or return an ErrorDescriptor
// (145 area full, 146 longer than 65,535 bytes, an argument's own status) and
// leave nothing. Views share their argument's bytes and push nothing. An
// ErrorDescriptor argument is passed through unchanged. Arguments must not
// lie in released area memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/memory/str_desc.h"
#include "runtime/text/search.h"

// --- building new strings (one new string, or an ErrorDescriptor) ---

[[nodiscard]] StrDesc Copy(StrDesc text);
[[nodiscard]] StrDesc Concat(StrDesc first, StrDesc second);
// The text count times ("" for 0).
[[nodiscard]] StrDesc Repeat(StrDesc text, std::uint16_t count);
// The n parts one after the other, as one new string.
[[nodiscard]] StrDesc ConcatParts(const StrDesc* parts, std::size_t n);
// A one-character string holding c (255 included).
[[nodiscard]] StrDesc OneChar(char c);
// A copy of text with insert written over it at position (WriteAtPos rules).
[[nodiscard]] StrDesc Overwrite(StrDesc text, std::int16_t position, StrDesc insert);
// text with every occurrence of pattern replaced; a pattern of one quote
// character is searched plainly. A failed push is recorded (subsystem 3, 160).
[[nodiscard]] StrDesc ReplaceAll(StrDesc text, StrDesc pattern, StrDesc replacement,
                                 SearchMode mode);
// The same, returning only the status; on 0 the result is the new top string.
[[nodiscard]] StatusWord ReplaceAllStatus(StrDesc text, StrDesc pattern, StrDesc replacement,
                                          SearchMode mode);
// c, the text, ClosingPartner(c).
[[nodiscard]] StrDesc Wrap(StrDesc text, char c);
// The text in a quote character it does not hold (q, else the other quote);
// the ErrorDescriptor 163 when it holds both.
[[nodiscard]] StrDesc Quote(StrDesc text, char q);
// The characters of text that occur in set, in order.
[[nodiscard]] StrDesc KeepChars(StrDesc text, StrDesc set);
// A copy with every character of from replaced by the one at the same
// position of to; a character whose position to does not reach stays as it is.
[[nodiscard]] StrDesc Translate(StrDesc text, const char* from, const char* to);
inline constexpr std::uint8_t kToUpper = 1;
inline constexpr std::uint8_t kToLower = 0;
// Upper case for flag 1, lower case otherwise; only A-Z and a-z change.
[[nodiscard]] StrDesc ChangeCase(StrDesc text, std::uint8_t flag);
// Trim both sides and Unquote; an upper-case copy when nothing was removed, else a plain copy.
[[nodiscard]] StrDesc NormaliseToken(StrDesc text);
// A NUL-terminated copy on the area (length + 1 bytes, one new string); a
// static "" (and nothing pushed) for an ErrorDescriptor or when it cannot be made.
[[nodiscard]] const char* ToCString(StrDesc text);

// --- writing into existing storage ---

// Writes source into destination at position (negative counts from the end:
// max(length + position, 0)), clipped at the destination's end. A status.
[[nodiscard]] StatusWord WriteAtPos(StrDesc destination, std::int16_t position, StrDesc source);
// Copies text to buffer + buffer_length (the caller guarantees the room) and
// returns (buffer, buffer_length + text length); 146 when that passes 65,535.
[[nodiscard]] StrDesc AppendTo(StrDesc text, char* buffer, std::uint16_t buffer_length);

// --- views ---

inline constexpr std::uint16_t kToEnd = 65535;
// A view from start (negative: the last -start characters) of count characters, clipped.
[[nodiscard]] StrDesc Substring(StrDesc text, std::int16_t start, std::uint16_t count);
inline constexpr std::uint8_t kTrimLeading = 1;
inline constexpr std::uint8_t kTrimTrailing = 2;
inline constexpr std::uint8_t kTrimBoth = 3;
// Without leading (1) and/or trailing (2) blanks and tabs.
[[nodiscard]] StrDesc Trim(StrDesc text, std::uint8_t flags);
// The same with the characters of set.
[[nodiscard]] StrDesc TrimSet(StrDesc text, std::uint8_t flags, StrDesc set);
// Without one pair of enclosing equal quotes (' or "), when there are at least 2 characters.
[[nodiscard]] StrDesc Unquote(StrDesc text);

// --- comparing and testing ---

inline constexpr std::uint16_t kGreater = 1;
inline constexpr std::uint16_t kLess = 65535;
inline constexpr std::uint16_t kEqual = 0;
// 1, 65535 or 0: unsigned bytes over the shorter length, then the shorter is
// smaller. Any lengths up to 65,535. An ErrorDescriptor's status passes on.
[[nodiscard]] std::uint16_t CompareText(StrDesc first, StrDesc second);
// 1, 65535 or 0 over n bytes; 159 when either pointer is null.
[[nodiscard]] std::uint16_t CompareBytes(const void* a, const void* b, std::uint16_t n);
// True when the upper-case text is one of YES, SI, Y, S, ON.
[[nodiscard]] bool IsTrue(StrDesc text);
// The position after leading white space (blank, TAB to CR) and an optional
// sign; *negative tells whether the sign was "-". The start of every decimal
// conversion of a text.
[[nodiscard]] std::uint16_t SkipSignPrefix(StrDesc text, bool* negative);
// 1 for a truth word; else leading white space, a sign and digits, modulo 65,536.
[[nodiscard]] std::int16_t ToInt(StrDesc text);
// The partner of c in "[](){}<>" (">" gives NUL); any other character is its own.
[[nodiscard]] char ClosingPartner(char c);
// The view inside the first balanced pair opened by opening, or "".
[[nodiscard]] StrDesc Bracketed(StrDesc text, char opening, SearchMode mode);
[[nodiscard]] inline StrDesc NonEmptyOr(StrDesc first, StrDesc second) {
  return first.len != 0 ? first : second;
}
[[nodiscard]] inline std::int16_t NonZeroOr(std::int16_t a, std::int16_t b) {
  return a != 0 ? a : b;
}
[[nodiscard]] inline std::int16_t Maximum(std::int16_t a, std::int16_t b) { return a > b ? a : b; }
[[nodiscard]] inline std::int16_t Minimum(std::int16_t a, std::int16_t b) { return a < b ? a : b; }
