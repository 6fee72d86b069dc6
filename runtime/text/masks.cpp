#include "runtime/text/masks.h"

#include <cstring>

#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

namespace {

constexpr std::uint32_t kMaxLen = 65535;
constexpr std::uint16_t kNone = kNotFound;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsDigitPlace(char c) { return c == '#' || c == '0'; }

// The new top string, or the ErrorDescriptor of st with the area back at mark.
StrDesc Finish(AreaMark mark, StatusWord st) {
  if (st != kOk) {
    ReleaseArea(mark);
    return ErrorDesc(st);
  }
  return TopString();
}

// Pushes a new string of n bytes set to fill (kNoFill: left as they are) and
// returns its bytes; null with the status in *st on failure (146 past 65,535).
char* Reserve(std::uint32_t n, unsigned char fill, StatusWord* st) {
  if (n > kMaxLen) {
    *st = kErrStringTooLong;
    return nullptr;
  }
  char* p = ReserveTopPtr(static_cast<std::uint16_t>(n), fill);
  *st = p != nullptr ? kOk : kErrOutOfMemory;
  return p;
}

// --- text masks ---

// Turns each "\", blanks, "\" outside quotes into a run of "\". The search
// goes on after each run's closing backslash.
void ExpandRuns(char* mask, std::uint16_t len) {
  const StrDesc whole{mask, len};
  std::uint16_t from = 0;
  while (from < len) {
    const std::uint16_t p = FindText(StrDesc{mask + from, static_cast<std::uint16_t>(len - from)},
                                     Lit("\\ "), kQuoteAware);
    if (p == kNone) return;
    const std::uint32_t open = std::uint32_t{from} + p;
    const std::uint16_t close =
        FindCharFrom(whole, static_cast<std::uint16_t>(open + 2), '\\', kQuoteAware);
    if (close == kNone) return;
    bool blanks = true;
    for (std::uint32_t i = open + 1; i < close && blanks; ++i) blanks = mask[i] == ' ';
    if (blanks) std::memset(mask + open + 1, '\\', close - open - 1);
    from = static_cast<std::uint16_t>(close + 1);
  }
}

// Writes the text into the expanded mask; out null only measures. Positions
// and the characters they take are whole UTF-8 characters.
std::uint32_t PlaceText(StrDesc mask, StrDesc text, MaskKind kind, char* out) {
  std::uint32_t n = 0;
  auto put = [&](const char* bytes, std::uint16_t count) {
    if (out != nullptr) std::memcpy(out + n, bytes, count);
    n += count;
  };
  auto put_char_at = [&](std::uint16_t at) {
    if (at < text.len) {
      put(text.ptr + at, Utf8CharLength(text, at));
    } else {
      put(" ", 1);
    }
  };
  const bool question_in_sequence = kind == kKindBackslash || kind == kKindHash;
  std::uint16_t next = 0;  // the next character of the text not yet placed
  std::uint16_t same = 0;  // the text's character at the mask character's position
  for (std::uint16_t i = 0; i < mask.len;) {
    const std::uint16_t width = Utf8CharLength(mask, i);
    const char c = mask.ptr[i];
    if (c == '\\' || (c == '?' && question_in_sequence)) {
      put_char_at(next);
      next = static_cast<std::uint16_t>(next + Utf8CharLength(text, next));
    } else if (c == '?') {
      put_char_at(same);
    } else {
      put(mask.ptr + i, width);
    }
    same = static_cast<std::uint16_t>(same + Utf8CharLength(text, same));
    i = static_cast<std::uint16_t>(i + width);
  }
  return n;
}

// --- numeric masks ---

// The number's characters before its point (all of them without one).
std::uint16_t IntegerChars(StrDesc number) {
  const std::uint16_t p = FindChar(number, '.', kPlain);
  return p == kNone ? number.len : p;
}

// The number's characters after its point.
std::uint16_t Decimals(StrDesc number) {
  const std::uint16_t p = FindChar(number, '.', kPlain);
  return p == kNone ? 0 : static_cast<std::uint16_t>(number.len - p - 1);
}

// The digit area of a numeric mask's working copy, with the point and the
// separators that the number's width leaves in place.
struct DigitArea {
  char* chars;
  std::uint16_t last;   // position of the last "#" or "0"
  std::uint16_t point;  // position of the decimal point before last, or kNone
  bool separators;      // "," still separates thousands

  std::uint16_t MaskDecimals() const {
    return point == kNone ? 0 : static_cast<std::uint16_t>(last - point);
  }
  // Places for the number's integer characters: those before the point (all
  // when the mask keeps no decimals), the separators among them not counted.
  std::uint32_t IntegerPlaces() const {
    const std::uint32_t end = MaskDecimals() > 0 ? point : std::uint32_t{last} + 1;
    std::uint32_t places = end;
    if (separators) {
      for (std::uint32_t j = 0; j < end; ++j) places -= chars[j] == ',';
    }
    return places;
  }
  // The separators give up their places: each becomes the placeholder after it.
  void DropSeparators() {
    char follow = chars[last];
    for (std::uint32_t j = last; j-- > 0;) {
      if (IsDigitPlace(chars[j])) follow = chars[j];
      if (chars[j] == ',') chars[j] = follow;
    }
    separators = false;
  }
  // The decimals give up one place (only while there are any): everything
  // before last moves one place right, the first character doubled, so the
  // point moves right by one and the last decimal place is lost.
  void ShiftPoint() {
    std::memmove(chars + 1, chars, last);
    ++point;
  }
};

// Writes the number right to left into the digit area; returns how many of
// its leading characters found no place.
std::uint16_t FillDigits(DigitArea& area, StrDesc number) {
  const bool negative = number.len != 0 && number.ptr[0] == '-';
  const std::uint16_t integer_digits =
      static_cast<std::uint16_t>(IntegerChars(number) - (negative ? 1 : 0));
  std::uint16_t k = number.len;  // characters not yet placed
  bool zero_before_point = false;
  char* a = area.chars;
  for (std::int32_t j = area.last; j >= 0; --j) {
    const char c = a[j];
    if (zero_before_point) {
      a[j] = '0';
      zero_before_point = false;
    } else if (k == 0) {
      const bool after_hash = j > 0 && a[j - 1] == '#';
      if (c == '#' || (c == '.' && number.len == 0 && after_hash) || (c == ',' && after_hash)) {
        a[j] = ' ';
      }
    } else if (k == 1 && negative) {
      a[j] = '-';
      k = 0;
    } else if (c == ',' && area.separators) {
      // a separator between two digits stays
    } else {
      a[j] = number.ptr[--k];
      zero_before_point = a[j] == '.' && integer_digits == 0;
    }
  }
  return k;
}

// --- fields ---

// width blanks, the value left-aligned over them (whole characters only).
StrDesc LeftAligned(AreaMark mark, StrDesc value, std::uint16_t width) {
  std::uint32_t n = 0;
  while (n < value.len) {
    const std::uint16_t c = Utf8CharLength(value, static_cast<std::uint16_t>(n));
    if (n + c > width) break;
    n += c;
  }
  StatusWord st;
  char* out = Reserve(width, ' ', &st);
  if (out != nullptr && n != 0) std::memcpy(out, value.ptr, n);
  return Finish(mark, st);
}

// width blanks, the value (at most width bytes) right-aligned over them.
StrDesc RightAligned(AreaMark mark, StrDesc value, std::uint16_t width) {
  StatusWord st;
  char* out = Reserve(width, ' ', &st);
  if (out != nullptr && value.len != 0) std::memcpy(out + width - value.len, value.ptr, value.len);
  return Finish(mark, st);
}

StrDesc NumberField(AreaMark mark, StrDesc value, std::uint16_t width) {
  value = Trim(value, kTrimBoth);
  if (value.len <= width) return RightAligned(mark, value, width);
  const std::uint16_t integer = IntegerChars(value);
  if (integer > width) return ErrorDesc(kErrDataOutBound);
  const std::uint16_t decimals =
      width > integer ? static_cast<std::uint16_t>(width - integer - 1) : 0;
  const StrDesc rounded = RoundNumberText(value, decimals);
  if (DescStatus(rounded) != kOk) return Finish(mark, DescStatus(rounded));
  if (rounded.len > width) return Finish(mark, kErrDataOutBound);
  const StrDesc field = RightAligned(MarkArea(), rounded, width);
  return KeepResult(mark, field);
}

}  // namespace

StrDesc FormatTextMask(StrDesc mask, StrDesc text, MaskKind kind) {
  if (DescStatus(mask) != kOk) return mask;
  if (DescStatus(text) != kOk) return text;
  const AreaMark mark = MarkArea();
  const StrDesc work = Copy(mask);
  if (DescStatus(work) != kOk) return work;
  ExpandRuns(const_cast<char*>(work.ptr), work.len);
  StatusWord st;
  char* out = Reserve(PlaceText(work, text, kind, nullptr), kNoFill, &st);
  if (out == nullptr) return Finish(mark, st);
  const std::uint32_t n = PlaceText(work, text, kind, out);
  return KeepResult(mark, StrDesc{out, static_cast<std::uint16_t>(n)});
}

StrDesc FormatNumberMask(StrDesc mask, StrDesc number) {
  if (DescStatus(mask) != kOk) return mask;
  if (DescStatus(number) != kOk) return number;
  const AreaMark mark = MarkArea();
  StrDesc num = Trim(number, kTrimBoth);
  while (num.len != 0 && !IsDigit(num.ptr[num.len - 1])) --num.len;
  if (FindChar(num, 'D', kQuoteAware) != kNone) {
    num = ExpandExponent(num);
    if (DescStatus(num) != kOk) return num;
  }
  const std::uint16_t base = FindAnyOf(mask, Lit("#0"), kQuoteAware);
  if (base == kNone) return KeepResult(mark, mask);
  const StrDesc work = Copy(mask);
  if (DescStatus(work) != kOk) return Finish(mark, DescStatus(work));
  char* chars = const_cast<char*>(work.ptr) + base;
  const StrDesc area_view{chars, static_cast<std::uint16_t>(work.len - base)};
  DigitArea area{chars, FindLastAnyOf(area_view, Lit("#0"), kQuoteAware), kNone, true};
  area.point = FindChar(StrDesc{chars, area.last}, '.', kQuoteAware);

  // Give the integer part the places it needs, rounding the number afresh to
  // the decimals the mask keeps each time they change.
  StrDesc placed = num;
  for (;;) {
    placed = num;
    if (Decimals(num) > area.MaskDecimals()) {
      placed = RoundNumberText(num, area.MaskDecimals());
      if (DescStatus(placed) != kOk) return Finish(mark, DescStatus(placed));
    }
    if (IntegerChars(placed) <= area.IntegerPlaces()) break;
    if (area.separators) {
      area.DropSeparators();
    } else if (area.MaskDecimals() > 0) {
      area.ShiftPoint();
    } else {
      break;  // wider than the mask
    }
  }
  // Missing decimals as "0", with the point when the number has none.
  const std::uint16_t have = Decimals(placed);
  const std::uint16_t want = area.MaskDecimals();
  if (placed.len != 0 && have < want) {
    const std::uint32_t extra = (have == 0 ? 1u : 0u) + (want - have);
    StatusWord st;
    char* padded = Reserve(placed.len + extra, '0', &st);
    if (padded == nullptr) return Finish(mark, st);
    std::memcpy(padded, placed.ptr, placed.len);
    if (have == 0) padded[placed.len] = '.';
    placed = StrDesc{padded, static_cast<std::uint16_t>(placed.len + extra)};
  }
  const std::uint16_t left_over = FillDigits(area, placed);
  if (left_over == 0) return KeepResult(mark, work);
  // The characters that found no place go in front of the digit area.
  StatusWord st;
  char* out = Reserve(std::uint32_t{work.len} + left_over, kNoFill, &st);
  if (out == nullptr) return Finish(mark, st);
  std::memcpy(out, work.ptr, base);
  std::memcpy(out + base, placed.ptr, left_over);
  std::memcpy(out + base + left_over, chars, work.len - base);
  return KeepResult(mark, StrDesc{out, static_cast<std::uint16_t>(work.len + left_over)});
}

StrDesc ApplyMask(StrDesc mask, StrDesc text, MaskMode mode) {
  if (DescStatus(mask) != kOk) return mask;
  if (DescStatus(text) != kOk) return text;
  const AreaMark mark = MarkArea();
  static constexpr char kPlaceholders[] = "\\?#0";
  const std::uint16_t first = FindAnyOf(mask, Lit(kPlaceholders), kQuoteAware);
  if (first == kNone) return KeepResult(mark, mask);
  const auto kind =
      static_cast<MaskKind>(std::strchr(kPlaceholders, mask.ptr[first]) - kPlaceholders);
  const bool digit_kind = kind == kKindHash || kind == kKindZero;
  bool number_chars = true;
  for (std::uint16_t i = 0; i < text.len && number_chars; ++i) {
    number_chars = std::strchr(".-1234567890,D ", text.ptr[i]) != nullptr && text.ptr[i] != '\0';
  }
  StrDesc result;
  if (mode == kMaskNumber || (mode != kMaskText && digit_kind && number_chars)) {
    result = FormatNumberMask(mask, Trim(text, kTrimBoth));
  } else if (digit_kind && FindAnyOf(mask, Lit("\\?"), kPlain) == kNone) {
    result = mask;
  } else {
    result = FormatTextMask(mask, text, kind);
  }
  return KeepResult(mark, result);
}

StrDesc FitField(char type, StrDesc value, std::uint16_t width) {
  if (DescStatus(value) != kOk) return value;
  const AreaMark mark = MarkArea();
  switch (type) {
    case 'A':
    case 'B':
    case 'C':
    case 'P':
      return LeftAligned(mark, value, width);
    case 'D':
    case 'F':
      // A date of 8 digits in a 6-character field keeps its two-digit year.
      if (value.len == 8 && width == 6) value = Substring(value, 2, kToEnd);
      return LeftAligned(mark, value, width);
    case 'N':
    case 'L':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
      return NumberField(mark, value, width);
    default:  // "V" and unknown types
      return LeftAligned(mark, EmptyDesc(), width);
  }
}

StrDesc TypeMask(char type, std::uint16_t width) {
  static constexpr char kTypes[] = "ABDLNN123456789";
  static constexpr char kFills[] = "\\\\\\\\###########0";
  const AreaMark mark = MarkArea();
  const char* hit = type == '\0' ? nullptr : std::strchr(kTypes, type);
  if (hit == nullptr) return KeepResult(mark, EmptyDesc());
  StatusWord st;
  char* out = Reserve(width, static_cast<unsigned char>(kFills[hit - kTypes]), &st);
  if (out != nullptr && type >= '1' && type <= '9') {
    const std::uint32_t n = static_cast<std::uint32_t>(type - '0') + 1;  // decimals and the point
    if (n < width) out[width - n] = '.';
  }
  return Finish(mark, st);
}

std::uint16_t Utf8CharLength(StrDesc text, std::uint16_t pos) {
  if (text.ptr == nullptr || pos >= text.len) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text.ptr) + pos;
  const std::uint32_t left = text.len - pos;
  const unsigned b0 = s[0];
  if (b0 < 0x80) return 1;
  std::uint16_t need = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 3;
    if (b0 == 0xE0) low = 0xA0;   // no overlong forms
    if (b0 == 0xED) high = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 4;
    if (b0 == 0xF0) low = 0x90;   // no overlong forms
    if (b0 == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 1;
  }
  if (left < need || s[1] < low || s[1] > high) return 1;
  for (std::uint16_t k = 2; k < need; ++k) {
    if ((s[k] & 0xC0) != 0x80) return 1;
  }
  return need;
}
