#include "compare/size_field.h"

#include <cstring>

#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/masks.h"
#include "runtime/text/strings.h"

namespace {

constexpr std::uint64_t kUnitLimit = 99999;
constexpr std::uint16_t kNameWidth = 38;

}  // namespace

namespace {

// value right-aligned in width places with a comma between thousands, as the
// masks "###,###" and "##,###" place it: the commas give up their places when
// the digits need them, and a number wider than the field comes back whole.
// Written to out, followed by the unit letter unless it is 0; the length.
std::size_t Grouped(std::uint64_t value, std::size_t width, char unit, char* out) {
  char digits[24];
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  const bool commas = n > 3 && n + (n - 1) / 3 <= width;
  char text[40];
  std::size_t len = 0;
  for (std::size_t i = n; i-- > 0;) {
    text[len++] = digits[i];
    if (commas && i != 0 && i % 3 == 0) text[len++] = ',';
  }
  const std::size_t pad = len < width ? width - len : 0;
  std::memset(out, ' ', pad);
  std::memcpy(out + pad, text, len);
  if (unit != 0) out[pad + len] = unit;
  return pad + len + (unit != 0);
}

// Pushes bytes as one new string; 145 when the area is full.
StrDesc PushField(const char* bytes, std::size_t n) {
  const AreaMark mark = MarkArea();
  char* out = ReserveTopPtr(static_cast<std::uint16_t>(n), kNoFill);
  if (out == nullptr) return KeepResult(mark, ErrorDesc(kErrOutOfMemory));
  std::memcpy(out, bytes, n);
  return TopString();
}

}  // namespace

std::size_t WriteSizeField(std::uint64_t size, char* out) {
  // Built directly rather than through the masks: it runs once per row and
  // column, and gives the very text ApplyMask gives for these masks.
  if (size < kPlainSizeLimit) return Grouped(size, 7, 0, out);
  static constexpr char kUnits[] = {'K', 'M', 'G', 'T'};
  std::uint64_t unit = 1024;
  for (char letter : kUnits) {
    const std::uint64_t value = (size + unit / 2) / unit;  // rounded to the nearest unit
    if (value <= kUnitLimit || letter == 'T') return Grouped(value, 6, letter, out);
    unit *= 1024;
  }
  return 0;
}

StrDesc SizeField(std::uint64_t size) {
  char text[kSizeFieldRoom];
  return PushField(text, WriteSizeField(size, text));
}

std::size_t WriteNameField(StrDesc name, char* out) {
  // The same text as the mask of 38 backslashes gives, built in one step: it
  // runs once per row and column. Most names are ASCII: one byte a character.
  std::uint16_t ascii = 0;
  while (ascii < name.len && ascii < kNameWidth &&
         static_cast<unsigned char>(name.ptr[ascii]) < 0x80) {
    ++ascii;
  }
  StrDesc cut{name.ptr, ascii};
  std::uint16_t characters = ascii;
  if (ascii < name.len && ascii < kNameWidth) {
    cut = Utf8Prefix(name, kNameWidth);
    characters = 0;
    for (std::uint16_t pos = 0; pos < cut.len; pos += Utf8CharLength(cut, pos)) ++characters;
  }
  const std::size_t blanks = kNameWidth - characters;
  if (cut.len != 0) std::memcpy(out, cut.ptr, cut.len);
  std::memset(out + cut.len, ' ', blanks);
  return cut.len + blanks;
}

StrDesc NameField(StrDesc name) {
  if (DescStatus(name) != kOk) return name;
  char text[kNameFieldRoom];
  return PushField(text, WriteNameField(name, text));
}

StrDesc Utf8Prefix(StrDesc text, std::uint16_t n) {
  if (DescStatus(text) != kOk) return text;
  std::uint16_t pos = 0;
  for (std::uint16_t i = 0; i < n && pos < text.len; ++i) pos += Utf8CharLength(text, pos);
  return StrDesc{text.ptr, pos};
}
