#include "runtime/text/format.h"

#include <cstring>
#include <limits>

#include "runtime/core/typed_lists.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

namespace {

constexpr std::uint32_t kMaxLen = 65535;
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::uint64_t kMagnitudeMax = std::uint64_t{1} << 63;  // |kInt64Min|
constexpr std::uint16_t kDigitWindow = 20;  // "-" and 19 digits: every 64-bit value

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The new top string, or the ErrorDescriptor of st with the area back at mark.
StrDesc Finish(AreaMark mark, StatusWord st) {
  if (st != kOk) {
    ReleaseArea(mark);
    return ErrorDesc(st);
  }
  return TopString();
}

// Pushes a new string of n bytes (contents left as they are) and returns its
// bytes; null with the status in *st on failure (146 past 65,535 bytes).
char* Reserve(std::uint32_t n, StatusWord* st) {
  if (n > kMaxLen) {
    *st = kErrStringTooLong;
    return nullptr;
  }
  char* p = ReserveTopPtr(static_cast<std::uint16_t>(n), kNoFill);
  *st = p != nullptr ? kOk : kErrOutOfMemory;
  return p;
}

// The decimal digits of magnitude at the end of buffer; returns their count.
int WriteDigits(std::uint64_t magnitude, char (&buffer)[kDigitWindow]) {
  int n = 0;
  do {
    buffer[kDigitWindow - 1 - n] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++n;
  } while (magnitude != 0);
  return n;
}

std::uint64_t Magnitude(std::int64_t v) {
  return v < 0 ? 0u - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

// The signed value of a magnitude, saturating at the 64-bit limits.
std::int64_t Signed(std::uint64_t magnitude, bool negative) {
  if (negative) {
    if (magnitude >= kMagnitudeMax) return kInt64Min;
    return -static_cast<std::int64_t>(magnitude);
  }
  if (magnitude > static_cast<std::uint64_t>(kInt64Max)) return kInt64Max;
  return static_cast<std::int64_t>(magnitude);
}

// magnitude * 10 + digit, held at limit once it would pass it.
std::uint64_t AppendDigit(std::uint64_t magnitude, unsigned digit, std::uint64_t limit) {
  if (magnitude > (limit - digit) / 10) return limit;
  return magnitude * 10 + digit;
}

// A number text taken apart: "-"/"+", digits, "." and digits, "D" and a power
// of ten. The decimal point of the value lies point_at digits into the digit
// sequence int_digits + frac_digits (before it when negative, past its end
// when beyond), so the exponent never has to be written out to be read.
struct NumberParts {
  bool negative;
  StrDesc int_digits;
  StrDesc frac_digits;
  std::int32_t point_at;
  bool has_exponent;

  std::int32_t Total() const { return std::int32_t{int_digits.len} + frac_digits.len; }
  // Digits of the value before and after its point, the zeros that the power
  // of ten adds included.
  std::uint32_t IntLen() const { return point_at > 0 ? static_cast<std::uint32_t>(point_at) : 0; }
  std::uint32_t FracLen() const {
    const std::int32_t n = Total() - point_at;
    return n > 0 ? static_cast<std::uint32_t>(n) : 0;
  }
  char Sequence(std::int64_t k) const {
    if (k < 0 || k >= Total()) return '0';
    return k < int_digits.len ? int_digits.ptr[k] : frac_digits.ptr[k - int_digits.len];
  }
  // Integer digit k (0 = leftmost) and decimal j (0 = first after the point).
  char IntDigit(std::uint32_t k) const { return Sequence(k); }
  char FracDigit(std::uint32_t j) const { return Sequence(std::int64_t{point_at} + j); }
};

// A view of the digits at the start of text.
StrDesc DigitRun(StrDesc text) {
  std::uint16_t n = 0;
  while (n < text.len && IsDigit(text.ptr[n])) ++n;
  return StrDesc{text.ptr, n};
}

StrDesc After(StrDesc text, std::uint32_t n) {
  if (n > text.len) n = text.len;
  return StrDesc{text.ptr + n, static_cast<std::uint16_t>(text.len - n)};
}

NumberParts SplitNumber(StrDesc text) {
  text = Trim(text, kTrimBoth);
  NumberParts parts{false, StrDesc{text.ptr, 0}, StrDesc{text.ptr, 0}, 0, false};
  StrDesc mantissa = text;
  std::int32_t exponent = 0;
  const std::uint16_t d = FindChar(text, 'D', kQuoteAware);
  if (d != kNotFound) {
    mantissa = StrDesc{text.ptr, d};
    exponent = ToInt(After(text, std::uint32_t{d} + 1));
    parts.has_exponent = true;
  }
  if (mantissa.len != 0 && (mantissa.ptr[0] == '-' || mantissa.ptr[0] == '+')) {
    parts.negative = mantissa.ptr[0] == '-';
    mantissa = After(mantissa, 1);
  }
  parts.int_digits = DigitRun(mantissa);
  const StrDesc rest = After(mantissa, parts.int_digits.len);
  if (rest.len != 0 && rest.ptr[0] == '.') parts.frac_digits = DigitRun(After(rest, 1));
  parts.point_at = std::int32_t{parts.int_digits.len} + exponent;
  return parts;
}

// The value of the parts times 10^d, rounded half away from zero.
std::int64_t ScaledValue(const NumberParts& parts, std::uint16_t d) {
  const std::uint64_t limit =
      parts.negative ? kMagnitudeMax : static_cast<std::uint64_t>(kInt64Max);
  std::uint64_t magnitude = 0;
  for (std::uint32_t k = 0; k < parts.IntLen() && magnitude != limit; ++k) {
    magnitude = AppendDigit(magnitude, static_cast<unsigned>(parts.IntDigit(k) - '0'), limit);
  }
  for (std::uint32_t j = 0; j < d && magnitude != limit; ++j) {
    magnitude = AppendDigit(magnitude, static_cast<unsigned>(parts.FracDigit(j) - '0'), limit);
  }
  if (parts.FracDigit(d) >= '5' && magnitude != limit) ++magnitude;
  return Signed(magnitude, parts.negative);
}

// Copies the format's text, placing arguments; out null only measures.
std::uint32_t PlaceArguments(const char* format, std::size_t format_len,
                             std::span<const StrDesc> args, char* out) {
  std::uint32_t n = 0;
  std::size_t next = 0;
  auto put = [&](const char* bytes, std::uint32_t count) {
    if (out != nullptr && count != 0) std::memcpy(out + n, bytes, count);
    n += count;
  };
  for (std::size_t i = 0; i < format_len; ++i) {
    // A format may be as long as 65,535 bytes and every argument as long;
    // measuring stops once the text is too long for any limit.
    if (n > kMaxLen) return n;
    if (format[i] == '%' && i + 1 < format_len) {
      if (format[i + 1] == 's') {
        if (next < args.size()) put(args[next].ptr, args[next].len);
        ++next;
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        put("%", 1);
        ++i;
        continue;
      }
    }
    put(format + i, 1);
  }
  return n;
}

StrDesc FormatBytes(std::uint16_t limit, const char* format, std::size_t format_len,
                    std::span<const StrDesc> args) {
  for (const StrDesc& a : args) {
    if (StatusWord st = DescStatus(a); st != kOk) return ErrorDesc(st);
  }
  const std::uint32_t n = PlaceArguments(format, format_len, args, nullptr);
  if (n > limit) {
    RecordError(kConditionRecord, kSubFormatStrings, kErrStringTooLong, kErrStringTooLong);
    return ErrorDesc(kErrStringTooLong);
  }
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(n, &st);
  if (out != nullptr) PlaceArguments(format, format_len, args, out);
  return Finish(mark, st);
}

}  // namespace

StrDesc FormatText(std::uint16_t limit, StrDesc format, std::span<const StrDesc> args) {
  if (DescStatus(format) != kOk) return format;
  return FormatBytes(limit, format.ptr, format.len, args);
}

StrDesc FormatText(std::uint16_t limit, const char* format, std::span<const StrDesc> args) {
  if (format == nullptr) return ErrorDesc(kErrBadInputData);
  return FormatBytes(limit, format, std::strlen(format), args);
}

StrDesc IntToText(std::int16_t value) {
  char buffer[8];
  return KeepResult(MarkArea(), IntToBuffer(value, buffer));
}

StrDesc IntToBuffer(std::int16_t value, std::span<char> buffer) {
  return IntToBufferPadded(value, 0, ' ', buffer);
}

StrDesc IntToBufferPadded(std::int16_t value, std::uint16_t width, char fill,
                          std::span<char> buffer) {
  if (buffer.data() == nullptr) return ErrorDesc(kErrBadInputData);
  char digits[kDigitWindow];
  int n = WriteDigits(Magnitude(value), digits);
  if (value < 0) digits[kDigitWindow - 1 - n++] = '-';
  const std::size_t length = width > n ? width : static_cast<std::size_t>(n);
  if (buffer.size() < length) return ErrorDesc(kErrDataOutBound);
  const std::size_t pad = length - static_cast<std::size_t>(n);
  std::memset(buffer.data(), fill, pad);
  std::memcpy(buffer.data() + pad, digits + kDigitWindow - n, static_cast<std::size_t>(n));
  // Zeros go between the sign and the digits: -5 in 4 places is "-005".
  if (value < 0 && fill == '0' && pad != 0) {
    buffer[0] = '-';
    buffer[pad] = '0';
  }
  return MakeDesc(buffer.data(), length);
}

std::uint16_t DecimalPrecision() { return GetSetting(kSettingMaskDecimals); }

StrDesc FixedToText(std::int64_t value, std::uint16_t d) {
  char digits[kDigitWindow];
  const std::uint64_t magnitude = Magnitude(value);
  const std::uint32_t count = static_cast<std::uint32_t>(WriteDigits(magnitude, digits));
  const char* first = digits + kDigitWindow - count;
  // Zeros in front until there are d digits; then trailing zeros among the
  // decimals are dropped (all of them for a zero value).
  const std::uint32_t padded = count > d ? count : d;
  std::uint32_t zeros = 0;
  if (magnitude == 0) {
    zeros = padded;
  } else {
    while (zeros < count && first[count - 1 - zeros] == '0') ++zeros;
  }
  const std::uint32_t dropped = zeros < d ? zeros : d;
  const std::uint32_t decimals = d - dropped;
  const std::uint32_t kept = padded - dropped;
  const bool negative = value < 0;
  const std::uint32_t length = (negative ? 1u : 0u) + kept + (decimals > 0 ? 1u : 0u);
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(length, &st);
  if (out != nullptr) {
    if (negative) *out++ = '-';
    const std::uint32_t lead = padded - count;
    for (std::uint32_t k = 0; k < kept; ++k) {
      if (decimals > 0 && k == kept - decimals) *out++ = '.';
      *out++ = k < lead ? '0' : first[k - lead];
    }
  }
  return Finish(mark, st);
}

StrDesc WholeToText(std::int64_t value) { return FixedToText(value, 0); }

StrDesc ScaledToText(std::int64_t value) { return FixedToText(value, DecimalPrecision()); }

DigitText TextToDigits(StrDesc text, std::uint16_t d) {
  if (DescStatus(text) != kOk) return DigitText{text, 0};
  const AreaMark mark = MarkArea();
  char* work = ReserveTopPtr(kDigitWindow, ' ');
  if (work == nullptr) return DigitText{ErrorDesc(kErrOutOfMemory), 0};
  const NumberParts parts = SplitNumber(text);
  std::uint16_t w = 0;
  if (parts.negative) work[w++] = '-';
  for (std::uint32_t k = 0; k < parts.IntLen() && w < kDigitWindow; ++k) {
    work[w++] = parts.IntDigit(k);
  }
  for (std::uint32_t j = 0; j < d && w < kDigitWindow; ++j) work[w++] = parts.FracDigit(j);
  std::uint16_t extra = 0;
  for (std::uint32_t j = d; j < parts.FracLen() && w < kDigitWindow; ++j, ++extra) {
    work[w++] = parts.FracDigit(j);
  }
  return DigitText{KeepResult(mark, StrDesc{work, w}), extra};
}

std::int64_t TextToFixed(StrDesc text) {
  if (DescStatus(text) != kOk) return 0;
  return ScaledValue(SplitNumber(text), DecimalPrecision());
}

std::int64_t ToInt64(StrDesc text) {
  if (DescStatus(text) != kOk) return 0;
  bool negative = false;
  std::uint16_t i = SkipSignPrefix(text, &negative);
  const std::uint64_t limit = negative ? kMagnitudeMax : static_cast<std::uint64_t>(kInt64Max);
  std::uint64_t magnitude = 0;
  for (; i < text.len && IsDigit(text.ptr[i]); ++i) {
    magnitude = AppendDigit(magnitude, static_cast<unsigned>(text.ptr[i] - '0'), limit);
  }
  return Signed(magnitude, negative);
}

std::int64_t RescaleFixed(std::int64_t value, std::uint16_t from, std::uint16_t to) {
  const bool negative = value < 0;
  const std::uint64_t magnitude = Magnitude(value);
  if (to >= from) {
    const std::uint64_t limit = negative ? kMagnitudeMax : static_cast<std::uint64_t>(kInt64Max);
    std::uint64_t m = magnitude;
    for (std::uint32_t k = from; k < to && m != 0 && m != limit; ++k) m = AppendDigit(m, 0, limit);
    return Signed(m, negative);
  }
  // 10^20 and more exceed every magnitude twice over: everything rounds to 0.
  if (from - to >= 20) return 0;
  std::uint64_t unit = 1;
  for (int k = 0; k < from - to; ++k) unit *= 10;
  std::uint64_t q = magnitude / unit;
  if (magnitude % unit >= unit / 2) ++q;
  if (q > kMagnitudeMax / unit) return negative ? kInt64Min : kInt64Max;
  return Signed(q * unit, negative);
}

std::int64_t DivideRounded(std::int64_t a, std::int64_t b) {
  if (b == 0) return 0;
  const std::uint64_t ua = Magnitude(a);
  const std::uint64_t ub = Magnitude(b);
  std::uint64_t q = ua / ub;
  const std::uint64_t r = ua % ub;
  if (r >= ub - r) ++q;  // the remainder is at least half the divisor
  return Signed(q, (a < 0) != (b < 0));
}

StrDesc ExpandExponent(StrDesc number) {
  if (DescStatus(number) != kOk) return number;
  const AreaMark mark = MarkArea();
  const NumberParts parts = SplitNumber(number);
  if (!parts.has_exponent) return KeepResult(mark, number);
  const std::uint32_t int_len = parts.IntLen();
  const std::uint32_t frac_len = parts.FracLen();
  const std::uint32_t length =
      (parts.negative ? 1u : 0u) + int_len + (frac_len > 0 ? frac_len + 1 : 0u);
  StatusWord st;
  char* out = Reserve(length, &st);
  if (out != nullptr) {
    if (parts.negative) *out++ = '-';
    for (std::uint32_t k = 0; k < int_len; ++k) *out++ = parts.IntDigit(k);
    if (frac_len > 0) *out++ = '.';
    for (std::uint32_t j = 0; j < frac_len; ++j) *out++ = parts.FracDigit(j);
  }
  return Finish(mark, st);
}

StrDesc RoundNumberText(StrDesc number, std::uint16_t d) {
  if (DescStatus(number) != kOk) return number;
  const AreaMark mark = MarkArea();
  const NumberParts parts = SplitNumber(number);
  // Work: a carry digit, the integer digits, d decimals; rounded in place.
  const std::uint32_t int_len = parts.IntLen();
  StatusWord st;
  char* work = Reserve(1 + int_len + std::uint32_t{d}, &st);
  if (work == nullptr) return Finish(mark, st);
  const std::uint32_t n = 1 + int_len + d;
  work[0] = '0';
  for (std::uint32_t k = 0; k < int_len; ++k) work[1 + k] = parts.IntDigit(k);
  for (std::uint32_t j = 0; j < d; ++j) work[1 + int_len + j] = parts.FracDigit(j);
  if (parts.FracDigit(d) >= '5') {
    std::uint32_t k = n;
    while (k > 0 && work[k - 1] == '9') work[--k] = '0';
    if (k > 0) ++work[k - 1];  // the carry digit always stops it
  }
  std::uint32_t int_start = 0;  // integer digits without leading zeros
  while (int_start < 1 + int_len && work[int_start] == '0') ++int_start;
  std::uint32_t decimals = d;  // decimals without trailing zeros
  while (decimals > 0 && work[1 + int_len + decimals - 1] == '0') --decimals;
  const std::uint32_t int_count = 1 + int_len - int_start;
  const bool zero = int_count == 0 && decimals == 0;
  const bool negative = parts.negative && !zero;
  const std::uint32_t length =
      (negative ? 1u : 0u) + (int_count == 0 ? 1u : int_count) + (decimals > 0 ? decimals + 1 : 0u);
  char* out = Reserve(length, &st);
  if (out != nullptr) {
    char* p = out;
    if (negative) *p++ = '-';
    if (int_count == 0) *p++ = '0';
    std::memcpy(p, work + int_start, int_count);
    p += int_count;
    if (decimals > 0) {
      *p++ = '.';
      std::memcpy(p, work + 1 + int_len, decimals);
    }
  }
  if (st != kOk) return Finish(mark, st);
  return KeepResult(mark, StrDesc{out, static_cast<std::uint16_t>(length)});
}
