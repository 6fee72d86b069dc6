// The prompt service on Qt Widgets: QMessageBox with the buttons and icon of
// each kind, and QFileDialog choosing an existing folder. Both run modal
// without an owner window, after the input queued before them is discarded.
#pragma once

#include "platform/ui/prompt_service.h"

// The Qt service (a QApplication must exist while it is in force).
[[nodiscard]] PromptService QtPromptService();

// Drops the input events (keys, mouse, touch) that are waiting, so that
// input typed ahead does not answer the next box. Other events are
// delivered; the flush is bounded and ends even when events keep coming.
void DiscardQueuedInput();
