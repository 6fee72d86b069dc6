#include "runtime/text/strings.h"

#include <cstring>

#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"

namespace {

constexpr std::uint32_t kMaxLen = 65535;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsQuote(char c) { return c == '\'' || c == '"'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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

// The new top string, or the ErrorDescriptor of st with the area back at mark.
StrDesc Finish(AreaMark mark, StatusWord st) {
  if (st != kOk) {
    ReleaseArea(mark);
    return ErrorDesc(st);
  }
  return TopString();
}

// Pushes c, the text and close as one new string.
StrDesc Enclose(StrDesc text, char open, char close) {
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(std::uint32_t{text.len} + 2, &st);
  if (out != nullptr) {
    out[0] = open;
    if (text.len != 0) std::memcpy(out + 1, text.ptr, text.len);
    out[text.len + 1] = close;
  }
  return Finish(mark, st);
}

}  // namespace

StrDesc Copy(StrDesc text) {
  if (DescStatus(text) != kOk) return text;
  return KeepResult(MarkArea(), text);
}

StrDesc Concat(StrDesc first, StrDesc second) {
  if (DescStatus(first) != kOk) return first;
  if (DescStatus(second) != kOk) return second;
  const AreaMark mark = MarkArea();
  return Finish(mark, PushConcat(first, second));
}

StrDesc ConcatParts(const StrDesc* parts, std::size_t n) {
  std::uint32_t total = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (DescStatus(parts[i]) != kOk) return parts[i];
    total += parts[i].len;
  }
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(total, &st);
  for (std::size_t i = 0; out != nullptr && i < n; ++i) {
    if (parts[i].len != 0) std::memmove(out, parts[i].ptr, parts[i].len);
    out += parts[i].len;
  }
  return Finish(mark, st);
}

StrDesc Repeat(StrDesc text, std::uint16_t count) {
  if (DescStatus(text) != kOk) return text;
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(std::uint32_t{text.len} * count, &st);
  for (std::uint32_t i = 0; out != nullptr && i < count; ++i) {
    if (text.len != 0) std::memcpy(out + i * text.len, text.ptr, text.len);
  }
  return Finish(mark, st);
}

StrDesc OneChar(char c) {
  // The byte is written here, so 255 gives the byte 255 like any other value.
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(1, &st);
  if (out != nullptr) out[0] = c;
  return Finish(mark, st);
}

StrDesc Overwrite(StrDesc text, std::int16_t position, StrDesc insert) {
  if (DescStatus(text) != kOk) return text;
  if (DescStatus(insert) != kOk) return insert;
  const AreaMark mark = MarkArea();
  StatusWord st = PushCopy(text);
  if (st == kOk) st = WriteAtPos(TopString(), position, insert);
  return Finish(mark, st);
}

StatusWord ReplaceAllStatus(StrDesc text, StrDesc pattern, StrDesc replacement, SearchMode mode) {
  if (StatusWord st = DescStatus(text); st != kOk) return st;
  if (StatusWord st = DescStatus(pattern); st != kOk) return st;
  if (StatusWord st = DescStatus(replacement); st != kOk) return st;
  if (pattern.len == 1 && IsQuote(pattern.ptr[0])) mode = kPlain;
  const std::int64_t n = CountText(text, pattern, mode);
  const std::int64_t result_len =
      std::int64_t{text.len} - n * (std::int64_t{pattern.len} - replacement.len);
  StatusWord st;
  char* out = Reserve(static_cast<std::uint32_t>(result_len), &st);
  if (out == nullptr) return RecordError(st, kSubStrConcat, kErrMemTestError, st);
  std::uint32_t in = 0;
  if (pattern.len != 0) {
    while (in < text.len) {
      StrDesc rest{text.ptr + in, static_cast<std::uint16_t>(text.len - in)};
      const std::uint16_t f = FindText(rest, pattern, mode);
      if (f == kNotFound) break;
      std::memcpy(out, rest.ptr, f);
      out += f;
      if (replacement.len != 0) std::memcpy(out, replacement.ptr, replacement.len);
      out += replacement.len;
      in += f + std::uint32_t{pattern.len};
    }
  }
  if (in < text.len) std::memcpy(out, text.ptr + in, text.len - in);
  return kOk;
}

StrDesc ReplaceAll(StrDesc text, StrDesc pattern, StrDesc replacement, SearchMode mode) {
  const AreaMark mark = MarkArea();
  return Finish(mark, ReplaceAllStatus(text, pattern, replacement, mode));
}

StrDesc Wrap(StrDesc text, char c) {
  if (DescStatus(text) != kOk) return text;
  return Enclose(text, c, ClosingPartner(c));
}

StrDesc Quote(StrDesc text, char q) {
  if (DescStatus(text) != kOk) return text;
  if (FindChar(text, q, kPlain) != kNotFound) {
    q = q == '"' ? '\'' : '"';
    if (FindChar(text, q, kPlain) != kNotFound) return ErrorDesc(kErrBadInputData);
  }
  return Enclose(text, q, ClosingPartner(q));  // a quote is its own partner
}

StrDesc KeepChars(StrDesc text, StrDesc set) {
  if (DescStatus(text) != kOk) return text;
  if (DescStatus(set) != kOk) return set;
  bool keep[256] = {};
  for (std::uint16_t i = 0; i < set.len; ++i) keep[static_cast<unsigned char>(set.ptr[i])] = true;
  std::uint32_t n = 0;
  for (std::uint16_t i = 0; i < text.len; ++i) n += keep[static_cast<unsigned char>(text.ptr[i])];
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(n, &st);
  for (std::uint16_t i = 0; out != nullptr && i < text.len; ++i) {
    if (keep[static_cast<unsigned char>(text.ptr[i])]) *out++ = text.ptr[i];
  }
  return Finish(mark, st);
}

StrDesc Translate(StrDesc text, const char* from, const char* to) {
  if (DescStatus(text) != kOk) return text;
  if (from == nullptr || to == nullptr) return ErrorDesc(kErrBadInputData);
  char map[256];
  for (int i = 0; i < 256; ++i) map[i] = static_cast<char>(i);
  const std::size_t to_len = std::strlen(to);
  // The first occurrence of a character in from decides its replacement.
  bool seen[256] = {};
  for (std::size_t i = 0; from[i] != '\0'; ++i) {
    const auto ch = static_cast<unsigned char>(from[i]);
    if (seen[ch]) continue;
    seen[ch] = true;
    if (i < to_len) map[ch] = to[i];
  }
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(text.len, &st);
  for (std::uint16_t i = 0; out != nullptr && i < text.len; ++i) {
    out[i] = map[static_cast<unsigned char>(text.ptr[i])];
  }
  return Finish(mark, st);
}

StrDesc ChangeCase(StrDesc text, std::uint8_t flag) {
  if (DescStatus(text) != kOk) return text;
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(text.len, &st);
  for (std::uint16_t i = 0; out != nullptr && i < text.len; ++i) {
    out[i] = flag == kToUpper ? Upper(text.ptr[i]) : Lower(text.ptr[i]);
  }
  return Finish(mark, st);
}

StrDesc NormaliseToken(StrDesc text) {
  if (DescStatus(text) != kOk) return text;
  const StrDesc token = Unquote(Trim(text, kTrimBoth));
  if (token.len == text.len) return ChangeCase(token, kToUpper);
  return Copy(token);
}

const char* ToCString(StrDesc text) {
  static const char kEmpty[1] = {'\0'};
  if (DescStatus(text) != kOk || text.len == kMaxLen) return kEmpty;
  const AreaMark mark = MarkArea();
  StatusWord st;
  char* out = Reserve(std::uint32_t{text.len} + 1, &st);
  if (out == nullptr) {
    ReleaseArea(mark);
    return kEmpty;
  }
  if (text.len != 0) std::memcpy(out, text.ptr, text.len);
  out[text.len] = '\0';
  return out;
}

StatusWord WriteAtPos(StrDesc destination, std::int16_t position, StrDesc source) {
  std::int32_t pos = position;
  if (pos < 0) {
    pos += destination.len;
    if (pos < 0) pos = 0;
  }
  return WriteInto(destination, static_cast<std::uint16_t>(pos), source);
}

StrDesc AppendTo(StrDesc text, char* buffer, std::uint16_t buffer_length) {
  if (DescStatus(text) != kOk) return text;
  if (buffer == nullptr) return ErrorDesc(kErrBadInputData);
  if (std::uint32_t{buffer_length} + text.len > kMaxLen) return ErrorDesc(kErrStringTooLong);
  if (text.len != 0) std::memmove(buffer + buffer_length, text.ptr, text.len);
  return StrDesc{buffer, static_cast<std::uint16_t>(buffer_length + text.len)};
}

StrDesc Substring(StrDesc text, std::int16_t start_arg, std::uint16_t count_arg) {
  if (DescStatus(text) != kOk) return text;
  std::int32_t start = start_arg;
  std::int32_t count = count_arg;
  const std::int32_t len = text.len;
  if (start < 0) {
    start = len + start > 0 ? len + start : 0;
    count = len - start;
  }
  if (start > len) start = len;  // an empty view at the end
  if (start + count > len) count = len - start;
  return StrDesc{text.ptr + start, static_cast<std::uint16_t>(count)};
}

StrDesc TrimSet(StrDesc text, std::uint8_t flags, StrDesc set) {
  if (DescStatus(text) != kOk) return text;
  if (DescStatus(set) != kOk) return set;
  auto in_set = [&](char c) { return set.len != 0 && std::memchr(set.ptr, c, set.len) != nullptr; };
  std::uint16_t b = 0, e = text.len;
  if (flags & kTrimLeading) {
    while (b < e && in_set(text.ptr[b])) ++b;
  }
  if (flags & kTrimTrailing) {
    while (e > b && in_set(text.ptr[e - 1])) --e;
  }
  return StrDesc{text.ptr + b, static_cast<std::uint16_t>(e - b)};
}

StrDesc Trim(StrDesc text, std::uint8_t flags) {
  if (DescStatus(text) != kOk) return text;
  std::uint16_t b = 0, e = text.len;
  if (flags & kTrimLeading) {
    while (b < e && IsBlank(text.ptr[b])) ++b;
  }
  if (flags & kTrimTrailing) {
    while (e > b && IsBlank(text.ptr[e - 1])) --e;
  }
  return StrDesc{text.ptr + b, static_cast<std::uint16_t>(e - b)};
}

StrDesc Unquote(StrDesc text) {
  if (DescStatus(text) != kOk || text.len < 2) return text;
  const char first = text.ptr[0];
  if (IsQuote(first) && text.ptr[text.len - 1] == first) {
    return StrDesc{text.ptr + 1, static_cast<std::uint16_t>(text.len - 2)};
  }
  return text;
}

std::uint16_t CompareBytes(const void* a, const void* b, std::uint16_t n) {
  if (a == nullptr || b == nullptr) return kErrStrOutBound;
  const int r = n == 0 ? 0 : std::memcmp(a, b, n);  // memcmp compares unsigned bytes
  return r > 0 ? kGreater : (r < 0 ? kLess : kEqual);
}

std::uint16_t CompareText(StrDesc first, StrDesc second) {
  if (StatusWord st = DescStatus(first); st != kOk) return st;
  if (StatusWord st = DescStatus(second); st != kOk) return st;
  // The shorter length is an unsigned 16-bit count: any two texts compare right.
  const std::uint16_t shorter = first.len < second.len ? first.len : second.len;
  const std::uint16_t r = CompareBytes(first.ptr, second.ptr, shorter);
  if (r != kEqual) return r;
  if (first.len == second.len) return kEqual;
  return first.len < second.len ? kLess : kGreater;
}

bool IsTrue(StrDesc text) {
  if (DescStatus(text) != kOk || text.len > 3) return false;
  static constexpr const char* kWords[] = {"YES", "SI", "Y", "S", "ON"};
  for (const char* word : kWords) {
    if (std::strlen(word) != text.len) continue;
    bool same = true;
    for (std::uint16_t i = 0; i < text.len && same; ++i) same = Upper(text.ptr[i]) == word[i];
    if (same) return true;
  }
  return false;
}

std::uint16_t SkipSignPrefix(StrDesc text, bool* negative) {
  *negative = false;
  if (DescStatus(text) != kOk) return 0;
  std::uint16_t i = 0;
  while (i < text.len && (text.ptr[i] == ' ' || (text.ptr[i] >= '\t' && text.ptr[i] <= '\r'))) {
    ++i;
  }
  if (i < text.len && (text.ptr[i] == '+' || text.ptr[i] == '-')) {
    *negative = text.ptr[i] == '-';
    ++i;
  }
  return i;
}

std::int16_t ToInt(StrDesc text) {
  if (DescStatus(text) != kOk) return 0;
  if (IsTrue(text)) return 1;
  bool negative = false;
  std::uint16_t i = SkipSignPrefix(text, &negative);
  std::uint16_t value = 0;  // accumulates modulo 65,536
  for (; i < text.len && text.ptr[i] >= '0' && text.ptr[i] <= '9'; ++i) {
    value = static_cast<std::uint16_t>(value * 10u + static_cast<unsigned>(text.ptr[i] - '0'));
  }
  if (negative) value = static_cast<std::uint16_t>(0u - value);
  return static_cast<std::int16_t>(value);
}

char ClosingPartner(char c) {
  static constexpr char kPairs[] = "[](){}<>";
  for (int i = 0; i < 8; ++i) {
    if (kPairs[i] == c) return kPairs[i + 1];  // ">" gives the terminating NUL
  }
  return c;
}

StrDesc Bracketed(StrDesc text, char opening, SearchMode mode) {
  if (DescStatus(text) != kOk) return text;
  const StrDesc none{text.ptr, 0};
  const std::uint16_t p = FindChar(text, opening, mode);
  if (p == kNotFound) return none;
  const char closing = ClosingPartner(opening);
  std::uint16_t close = FindCharFrom(text, static_cast<std::uint16_t>(p + 1), closing, mode);
  if (close == kNotFound) return none;
  auto candidate = [&] {
    return StrDesc{text.ptr + p + 1, static_cast<std::uint16_t>(close - p - 1)};
  };
  if (opening == closing) return candidate();
  const StrDesc o{&opening, 1}, c{&closing, 1};
  while (CountText(candidate(), o, mode) != CountText(candidate(), c, mode)) {
    const std::uint16_t next =
        FindCharFrom(text, static_cast<std::uint16_t>(close + 1), closing, mode);
    if (next == kNotFound) break;
    close = next;
  }
  if (CountText(candidate(), o, mode) == CountText(candidate(), c, mode)) return candidate();
  return none;
}
