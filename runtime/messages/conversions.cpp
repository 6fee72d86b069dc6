#include "runtime/messages/conversions.h"

#include <cstdint>
#include <cstring>

#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"

namespace {

// The code point at text[*pos] and the position after it; an invalid
// sequence yields its first byte as a Latin-1 character.
char32_t DecodeUtf8(StrDesc text, std::uint32_t* pos) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.ptr);
  const std::uint32_t i = *pos;
  const unsigned char b = s[i];
  auto cont = [&](std::uint32_t k) { return i + k < text.len && (s[i + k] & 0xC0) == 0x80; };
  if (b < 0x80) {
    *pos = i + 1;
    return b;
  }
  if (b >= 0xC2 && b <= 0xDF && cont(1)) {
    *pos = i + 2;
    return (char32_t(b & 0x1F) << 6) | (s[i + 1] & 0x3F);
  }
  if (b >= 0xE0 && b <= 0xEF && cont(1) && cont(2)) {
    const char32_t c =
        (char32_t(b & 0x0F) << 12) | (char32_t(s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
    if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) {
      *pos = i + 3;
      return c;
    }
  }
  if (b >= 0xF0 && b <= 0xF4 && cont(1) && cont(2) && cont(3)) {
    const char32_t c = (char32_t(b & 0x07) << 18) | (char32_t(s[i + 1] & 0x3F) << 12) |
                       (char32_t(s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      *pos = i + 4;
      return c;
    }
  }
  *pos = i + 1;
  return b;  // Latin-1
}

char32_t FoldForDisplay(char32_t c) {
  switch (c) {
    case 0xE1:
      return U'a';
    case 0xE9:
      return U'e';
    case 0xED:
      return U'i';
    case 0xF3:
      return U'o';
    case 0xFA:
      return U'u';
    case 0xF1:
      return U'n';
    case 0xD1:
      return U'N';
    default:
      return c;
  }
}

}  // namespace

std::size_t WideLength(const char16_t* text) {
  if (text == nullptr) return 0;
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

StrDesc ToRuntimeText(const char16_t* text) {
  const AreaMark mark = MarkArea();
  if (text == nullptr) return KeepResult(mark, ErrorDesc(kErrBadInputData));
  // First the length, then the bytes.
  const std::size_t units = WideLength(text);
  auto code_point = [&](std::size_t* i) -> char32_t {
    const char16_t u = text[*i];
    if (u >= 0xD800 && u <= 0xDBFF && *i + 1 < units && text[*i + 1] >= 0xDC00 &&
        text[*i + 1] <= 0xDFFF) {
      const char32_t c = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[*i + 1] - 0xDC00);
      *i += 2;
      return c;
    }
    *i += 1;
    return (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u;
  };
  auto width = [](char32_t c) { return c < 0x80 ? 1u : c < 0x800 ? 2u : c < 0x10000 ? 3u : 4u; };
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < units;) total += width(code_point(&i));
  if (total > 65535) return KeepResult(mark, ErrorDesc(kErrStringTooLong));
  char* out = ReserveTopPtr(static_cast<std::uint16_t>(total), kNoFill);
  if (out == nullptr) return KeepResult(mark, ErrorDesc(kErrOutOfMemory));
  for (std::size_t i = 0; i < units;) {
    const char32_t c = code_point(&i);
    if (c < 0x80) {
      *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
      *out++ = static_cast<char>(0xC0 | (c >> 6));
      *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (c >> 12));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *out++ = static_cast<char>(0xF0 | (c >> 18));
      *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return TopString();
}

namespace {

const char16_t* Widen(StrDesc text, bool fold) {
  if (DescStatus(text) != kOk) return nullptr;
  std::uint32_t units = 0;
  for (std::uint32_t pos = 0; pos < text.len;) units += DecodeUtf8(text, &pos) >= 0x10000 ? 2 : 1;
  const std::uint32_t bytes = (units + 1) * 2;
  if (bytes > 65535) return nullptr;
  char* area = ReserveTopPtr(static_cast<std::uint16_t>(bytes), kNoFill);
  if (area == nullptr) return nullptr;
  // Area strings are 4-byte aligned, so the bytes hold char16_t units.
  auto* out = reinterpret_cast<char16_t*>(area);
  std::uint32_t k = 0;
  for (std::uint32_t pos = 0; pos < text.len;) {
    const char32_t decoded = DecodeUtf8(text, &pos);
    const char32_t c = fold ? FoldForDisplay(decoded) : decoded;
    if (c >= 0x10000) {
      out[k++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out[k++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out[k++] = static_cast<char16_t>(c);
    }
  }
  out[k] = 0;
  return out;
}

}  // namespace

const char16_t* ToWideText(StrDesc text) { return Widen(text, true); }

const char16_t* ToWidePath(StrDesc text) { return Widen(text, false); }
