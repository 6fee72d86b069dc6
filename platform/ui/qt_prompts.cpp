#include "platform/ui/qt_prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/os/os_calls.h"

namespace {

// Eats input events while the queue is flushed.
class InputEater : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        return true;
      default:
        return false;
    }
  }
};

struct KindLook {
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
};

KindLook LookOf(std::uint8_t kind) {
  switch (kind) {
    case kBoxWarning:
      return {QMessageBox::Warning, QMessageBox::Ok};
    case kBoxOkCancel:
      return {QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel};
    case kBoxStop:
      return {QMessageBox::Critical, QMessageBox::Ok};
    case kBoxRetryCancel:
      return {QMessageBox::Critical, QMessageBox::Retry | QMessageBox::Cancel};
    case kBoxYesNo:
      return {QMessageBox::Information, QMessageBox::Yes | QMessageBox::No};
    case kBoxYesNoCancel:
      return {QMessageBox::Information, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel};
    default:
      return {QMessageBox::Information, QMessageBox::Ok};
  }
}

PromptButton ButtonOf(QMessageBox::StandardButton b) {
  switch (b) {
    case QMessageBox::Ok:
      return PromptButton::kOk;
    case QMessageBox::Cancel:
      return PromptButton::kCancel;
    case QMessageBox::Yes:
      return PromptButton::kYes;
    case QMessageBox::No:
      return PromptButton::kNo;
    case QMessageBox::Retry:
      return PromptButton::kRetry;
    case QMessageBox::Abort:
      return PromptButton::kAbort;
    case QMessageBox::Ignore:
      return PromptButton::kIgnore;
    default:
      return PromptButton::kCancel;  // closed by the window manager
  }
}

PromptButton ShowBox(void*, const std::u16string& text, const std::u16string& caption,
                     std::uint8_t kind) {
  if (QApplication::instance() == nullptr) return PromptButton::kNone;
  DiscardQueuedInput();
  const KindLook look = LookOf(kind);
  QMessageBox box(look.icon, QString::fromStdU16String(caption), QString::fromStdU16String(text),
                  look.buttons);
  box.setTextFormat(Qt::PlainText);  // file names are shown as they are, never as markup
  const int result = box.exec();
  return ButtonOf(static_cast<QMessageBox::StandardButton>(result));
}

FolderChoice ChooseFolder(void*, const std::u16string& initial, const std::u16string& title,
                          std::string* chosen, std::u16string* shown) {
  if (QApplication::instance() == nullptr) return FolderChoice::kCancelled;
  DiscardQueuedInput();
  QFileDialog dialog(nullptr, QString::fromStdU16String(title), QString::fromStdU16String(initial));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return FolderChoice::kCancelled;
  }
  const QString folder = dialog.selectedFiles().first();
  if (!ExactPathOf(folder, chosen)) {
    *shown = folder.toStdU16String();
    return FolderChoice::kUnmatched;
  }
  return FolderChoice::kChosen;
}

}  // namespace

void DiscardQueuedInput() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  InputEater eater;
  app->installEventFilter(&eater);
  QElapsedTimer clock;
  clock.start();
  // A pending repaint may keep the queue busy: a few rounds or 50 ms at most.
  for (int round = 0; round < 8 && clock.elapsed() < 50; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  app->removeEventFilter(&eater);
}

bool ExactPathOf(const QString& shown, std::string* exact) {
  if (!shown.startsWith('/')) return false;
  std::string path;
  for (const QString& part : shown.split('/', Qt::SkipEmptyParts)) {
    // A part with no replacement character is valid UTF-8 text, and only
    // those bytes show so: no need to read the folder (which its owner may
    // let us pass through but not list).
    if (!part.contains(QChar(0xFFFD))) {
      path += "/" + QFile::encodeName(part).toStdString();
      continue;
    }
    // Else the one entry of the folder reached so far that the chooser shows so.
    DIR* dir = Os().opendir(path.empty() ? "/" : path.c_str());
    if (dir == nullptr) return false;
    int matches = 0;
    std::string name;
    while (struct dirent* d = Os().readdir(dir)) {
      if (QFile::decodeName(d->d_name) != part) continue;
      ++matches;
      name = d->d_name;
    }
    Os().closedir(dir);
    if (matches != 1) return false;
    path += "/" + name;
  }
  *exact = path.empty() ? "/" : path;
  return true;
}

PromptService QtPromptService() { return PromptService{&ShowBox, &ChooseFolder, nullptr}; }
