// Message boxes, the Yes/No question, the error box and the folder chooser,
// shown through the prompt service. Answers follow one convention: the Yes
// letter (first character of message 0011's first item) for OK, Retry and
// Yes, the No letter for No, 3 for Cancel, Abort and Ignore.
#pragma once

#include <cstdint>

#include "runtime/memory/str_desc.h"

inline constexpr std::uint16_t kAnswerCancel = 3;

// Shows the text in a box of the kind (0 to 6; an empty caption takes the
// kind's default) and returns the answer; 3 when no box could be shown.
// Leaves nothing on the area.
[[nodiscard]] std::uint16_t ShowMessageBox(StrDesc text, StrDesc caption, std::uint8_t kind);
// A Yes/No box with the default caption: true when the answer is the Yes letter.
[[nodiscard]] bool AskYesNo(StrDesc text);
// Shows the error report of the code (kind 1 below 128, else kind 3), then
// empties the detail log. Leaves nothing on the area.
void ShowErrorBox(std::uint16_t code);
// The exact bytes of the folder the user chose (starting in initial, or the
// current folder), or empty text when cancelled; one new string. A choice
// that names no single folder's bytes is refused with a box (empty text).
[[nodiscard]] StrDesc ChooseFolder(StrDesc initial, StrDesc title);
