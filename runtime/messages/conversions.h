// Text at the edge of the window: the runtime's 8-bit text is UTF-8 bytes
// (names are the file system's own bytes), the window's is UTF-16.
#pragma once

#include <cstddef>

#include "runtime/memory/str_desc.h"

// The UTF-8 text of a NUL-terminated UTF-16 text (an unpaired surrogate
// becomes U+FFFD), as one new string; 146 past 65,535 bytes, 145 when the
// area is full, 163 for a null pointer.
[[nodiscard]] StrDesc ToRuntimeText(const char16_t* text);

// A NUL-terminated UTF-16 copy of the text for display, as one new string on
// the area: UTF-8 decoded (a byte that is not part of a valid sequence is
// taken as Latin-1), then the letters á é í ó ú ñ Ñ folded to a e i o u n N.
// Null, with nothing pushed, when the area cannot hold it or the text is an
// ErrorDescriptor.
[[nodiscard]] const char16_t* ToWideText(StrDesc text);

// The same without the folding: a path the window hands back to the system
// (the folder chooser's starting folder) must name the very folder.
[[nodiscard]] const char16_t* ToWidePath(StrDesc text);

// Units before the NUL of a UTF-16 text (0 for null).
[[nodiscard]] std::size_t WideLength(const char16_t* text);
