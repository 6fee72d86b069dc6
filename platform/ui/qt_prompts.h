// The prompt service on Qt Widgets: QMessageBox with the buttons and icon of
// each kind, and QFileDialog choosing an existing folder. Both run modal
// without an owner window, after the input queued before them is discarded.
#pragma once

#include <QString>
#include <string>

#include "platform/ui/prompt_service.h"

// The Qt service (a QApplication must exist while it is in force).
[[nodiscard]] PromptService QtPromptService();

// Drops the input events (keys, mouse, touch) that are waiting, so that
// input typed ahead does not answer the next box. Other events are
// delivered; the flush is bounded and ends even when events keep coming.
void DiscardQueuedInput();

// The exact bytes of the absolute path that the folder chooser shows as
// shown. A component of valid text is its UTF-8 bytes; one holding the
// replacement character (bytes that are not valid UTF-8) is matched with
// the entries of its parent folder by the text the chooser shows for them.
// False when such a component matches no entry or more than one (names
// that differ only in those bytes show alike), its folder cannot be read,
// or the path is not absolute.
[[nodiscard]] bool ExactPathOf(const QString& shown, std::string* exact);
