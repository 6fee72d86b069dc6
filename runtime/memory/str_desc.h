// StrDesc: the runtime's string, a view of 8-bit characters with a 16-bit
// length. It never owns its bytes and is not NUL-terminated. A StrDesc with a
// null pointer is an ErrorDescriptor: its length carries the failure's status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "runtime/memory/status.h"

struct StrDesc {
  const char* ptr;
  std::uint16_t len;
};
static_assert(std::is_trivially_copyable_v<StrDesc>);
static_assert(std::is_standard_layout_v<StrDesc>);

// A StrDesc with a null pointer; its length is the status (0 counts as 65535).
using ErrorDescriptor = StrDesc;

// The descriptor (pointer, length), the length taken as 16 bits.
[[nodiscard]] inline StrDesc MakeDesc(const char* ptr, std::size_t length) {
  return StrDesc{ptr, static_cast<std::uint16_t>(length)};
}

// The descriptor of a NUL-terminated string (length taken as 16 bits);
// a null pointer gives the ErrorDescriptor 163.
[[nodiscard]] StrDesc DescFromCString(const char* text);

// 0 when the pointer is set; otherwise the length, or 65535 when it is 0.
[[nodiscard]] inline StatusWord DescStatus(StrDesc s) {
  if (s.ptr != nullptr) return kOk;
  return s.len == 0 ? kFailure : s.len;
}

// The ErrorDescriptor that carries the given status.
[[nodiscard]] inline StrDesc ErrorDesc(StatusWord status) { return StrDesc{nullptr, status}; }

// A view of a string literal (its bytes without the terminating NUL).
template <std::size_t N>
[[nodiscard]] constexpr StrDesc Lit(const char (&text)[N]) {
  static_assert(N - 1 <= 65535, "literal too long for a StrDesc");
  return StrDesc{text, static_cast<std::uint16_t>(N - 1)};
}

// The empty view (a set pointer, length 0).
[[nodiscard]] inline StrDesc EmptyDesc() { return StrDesc{"", 0}; }

// True when both descriptors hold the same bytes (ErrorDescriptors never equal).
[[nodiscard]] bool SameText(StrDesc a, StrDesc b);
