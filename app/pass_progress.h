// The progress of a copy pass in the window: a modal dialog that appears
// once the pass has run half a second, with the files done of the count,
// the name being copied and Cancel. Cancel stops the pass after the file
// being copied, never in the middle of one.
#pragma once

#include <QElapsedTimer>
#include <QProgressDialog>
#include <cstdint>

#include "actions/bulk_passes.h"

class PassProgress {
 public:
  PassProgress(QWidget* parent, std::uint16_t total);
  ~PassProgress();
  PassProgress(const PassProgress&) = delete;
  PassProgress& operator=(const PassProgress&) = delete;

  // The listener to hand to the pass.
  [[nodiscard]] PassListener Listener();
  [[nodiscard]] bool Shown() const { return dialog_.isVisible(); }

  // How long a pass runs before the dialog appears (500 ms; tests set 0).
  static void SetShowDelay(int milliseconds);

 private:
  static bool BeforeCopy(void* self, std::uint16_t done, StrDesc name);

  QProgressDialog dialog_;
  QElapsedTimer clock_;
  std::uint16_t total_;
};
