// The StringArea: a stack of temporary strings with numbered levels.
//
// The idiom every text-building operation follows: take MarkArea() on entry,
// push what it needs, return KeepResult(mark, result). The caller then owns
// exactly one new string at level mark + 1 (nothing when the result is an
// ErrorDescriptor) and drops it, with everything else it pushed, by
// ReleaseArea(its own mark). A string on the area is valid until a caller
// releases to a level below it. A full area (bytes or levels) fails with 145
// and leaves the area unchanged.
#pragma once

#include <cstdint>

#include "runtime/memory/runtime_memory.h"

// align4(n): 0 for 0, else n rounded up to a multiple of 4.
[[nodiscard]] constexpr std::uint32_t Align4(std::uint32_t n) {
  return n == 0 ? 0 : ((n - 1) / 4) * 4 + 4;
}

// The current level; nothing changes.
[[nodiscard]] AreaMark MarkArea();

// Releases back to level m and returns the new current level. A level at or
// above the level count (65535 in particular), or above the current level,
// changes nothing.
AreaMark ReleaseArea(AreaMark m);

// The string at the current level (the empty string at level 0).
[[nodiscard]] StrDesc TopString();

// Pushes a copy of s (which may lie in released area memory). 0, or s's own
// status, 145 when full, 163 when the area's blocks are missing.
[[nodiscard]] StatusWord PushCopy(StrDesc s);

// Releases to mark, then pushes a copy of s: returns the new top string, or
// the ErrorDescriptor of s (or of the failed push) with the area at the mark.
[[nodiscard]] StrDesc KeepResult(AreaMark mark, StrDesc s);

// Pushes a followed by b. 0, or the status of a, b or the push; 146 when
// the two lengths together pass 65,535.
[[nodiscard]] StatusWord PushConcat(StrDesc a, StrDesc b);

// Pushes a new string of n bytes, each set to fill unless fill is 255.
[[nodiscard]] StatusWord ReserveTop(std::uint16_t n, unsigned char fill);
// The same, returning the new string's writable bytes (null on failure).
[[nodiscard]] char* ReserveTopPtr(std::uint16_t n, unsigned char fill);
// The same, returning the new string (an ErrorDescriptor on failure).
[[nodiscard]] StrDesc ReserveTopDesc(std::uint16_t n, unsigned char fill);

// A view of the free space above the top (length capped at 65,535); nothing
// is pushed. KeepResult(MarkArea(), FreeTopSpace() filled) commits it.
[[nodiscard]] StrDesc FreeTopSpace();

// Bytes a push may still take: size - used - 4; 65535 when the data block is missing.
[[nodiscard]] std::uint32_t FreeBytes();

// Copies min(source length, destination length - offset) bytes to
// destination + offset (overlap-safe); an offset at or past the end copies
// nothing. The destination must be writable storage. 0, or a descriptor's status.
[[nodiscard]] StatusWord WriteInto(StrDesc destination, std::uint16_t offset, StrDesc source);

// Creates the area's two blocks for level_count levels of 1,024 bytes.
// 65535 when no block slot is free, 145 when the heap refuses, 163 for 0 levels.
[[nodiscard]] StatusWord InitStringArea(std::uint16_t level_count);

// Frees the data block, then the level block (owner 9); the first failure's status.
[[nodiscard]] StatusWord ReleaseStringArea();
