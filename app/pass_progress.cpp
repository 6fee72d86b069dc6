#include "app/pass_progress.h"

#include <QCoreApplication>

namespace {

int g_show_delay_ms = 500;

}  // namespace

PassProgress::PassProgress(QWidget* parent, std::uint16_t total) : dialog_(parent), total_(total) {
  dialog_.setWindowTitle(QStringLiteral("Vantoro"));
  dialog_.setCancelButtonText(QStringLiteral("Cancel"));
  dialog_.setRange(0, total == 0 ? 1 : total);
  dialog_.setWindowModality(Qt::ApplicationModal);
  dialog_.setAutoReset(false);
  dialog_.setAutoClose(false);
  // It shows itself only when the pass has run long enough (see BeforeCopy).
  dialog_.setMinimumDuration(24 * 3600 * 1000);
  dialog_.hide();
  clock_.start();
}

PassProgress::~PassProgress() { dialog_.hide(); }

void PassProgress::SetShowDelay(int milliseconds) { g_show_delay_ms = milliseconds; }

PassListener PassProgress::Listener() {
  return PassListener{this, &PassProgress::BeforeCopy, nullptr};
}

bool PassProgress::BeforeCopy(void* self, std::uint16_t done, StrDesc name) {
  auto* p = static_cast<PassProgress*>(self);
  if (!p->dialog_.isVisible() && p->clock_.elapsed() >= g_show_delay_ms) p->dialog_.show();
  if (p->dialog_.isVisible()) {
    p->dialog_.setValue(done);
    p->dialog_.setLabelText(QStringLiteral("%1 of %2 files\n%3")
                                .arg(done)
                                .arg(p->total_)
                                .arg(QString::fromUtf8(name.ptr, name.len)));
  }
  // The dialog paints and its Cancel answers between two files.
  QCoreApplication::processEvents();
  return !p->dialog_.wasCanceled();
}
