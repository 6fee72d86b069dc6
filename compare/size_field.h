// The name and size fields of a comparison line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/memory/str_desc.h"

inline constexpr std::uint64_t kPlainSizeLimit = 10000000;  // below: "###,###" bytes

// The size in seven characters: bytes through "###,###" below 10,000,000,
// else binary units rounded to "##,###" and a letter: K (KiB) up to 99,999K,
// then M, G, T. One new string.
[[nodiscard]] StrDesc SizeField(std::uint64_t size);

// The name left-aligned in 38 characters (UTF-8 characters, blank-padded, a
// longer name cut after its 38th). One new string.
[[nodiscard]] StrDesc NameField(StrDesc name);

// Room the two writers below need.
inline constexpr std::size_t kSizeFieldRoom = 32;
inline constexpr std::size_t kNameFieldRoom = 38 * 4;
// SizeField's text written to out (kSizeFieldRoom bytes); its length.
std::size_t WriteSizeField(std::uint64_t size, char* out);
// NameField's text written to out (kNameFieldRoom bytes) for a name that is
// not an ErrorDescriptor; its length.
std::size_t WriteNameField(StrDesc name, char* out);

// The view of the first n characters of text (whole UTF-8 characters).
[[nodiscard]] StrDesc Utf8Prefix(StrDesc text, std::uint16_t n);
