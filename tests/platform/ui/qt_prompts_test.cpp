#include "platform/ui/qt_prompts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "support/os_faults.h"
#include "support/temp_dir.h"
#include "support_qt/when_modal.h"

namespace {

TEST(QtPrompts, EachKindShowsItsButtonsAndReturnsThePressedOne) {
  const PromptService service = QtPromptService();
  struct Case {
    std::uint8_t kind;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton press;
    PromptButton answer;
  } cases[] = {
      {kBoxInfo, QMessageBox::Ok, QMessageBox::Information, QMessageBox::Ok, PromptButton::kOk},
      {kBoxWarning, QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok, PromptButton::kOk},
      {kBoxStop, QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok, PromptButton::kOk},
      {kBoxRetryCancel, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Critical,
       QMessageBox::Retry, PromptButton::kRetry},
      {kBoxYesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Information, QMessageBox::No,
       PromptButton::kNo},
      {kBoxYesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
       QMessageBox::Information, QMessageBox::Cancel, PromptButton::kCancel},
  };
  for (const Case& c : cases) {
    WhenModal([c](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->standardButtons(), c.buttons);
      EXPECT_EQ(box->icon(), c.icon);
      EXPECT_EQ(box->windowTitle(), QString("Caption"));
      EXPECT_EQ(box->text(), QString("<b>shown as it is</b>"));
      EXPECT_EQ(box->textFormat(), Qt::PlainText);
      box->button(c.press)->click();
    });
    EXPECT_EQ(service.show_box(service.context, u"<b>shown as it is</b>", u"Caption", c.kind),
              c.answer)
        << int(c.kind);
  }
}

TEST(QtPrompts, TheFolderChooserStartsOnTheGivenFolder) {
  TempDir dir;
  const PromptService service = QtPromptService();
  WhenModal([&dir](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath(), QString::fromStdString(dir.path()));
    EXPECT_EQ(dialog->windowTitle(), QString("Pick one"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    dialog->reject();
  });
  std::string chosen;
  std::u16string shown;
  EXPECT_EQ(
      service.choose_folder(service.context, QString::fromStdString(dir.path()).toStdU16String(),
                            u"Pick one", &chosen, &shown),
      FolderChoice::kCancelled);
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QMetaObject::invokeMethod(dialog, "accept");  // the folder it opened on
  });
  EXPECT_EQ(
      service.choose_folder(service.context, QString::fromStdString(dir.path()).toStdU16String(),
                            u"Pick one", &chosen, &shown),
      FolderChoice::kChosen);
  EXPECT_EQ(chosen, dir.path());
}

// A chosen path is traced back to the exact bytes of its folders; names that
// show alike (they differ only in bytes that are not valid UTF-8) are refused.
TEST(QtPrompts, ChosenPathsMapBackToTheirExactBytes) {
  TempDir dir;
  for (const char* name : {"Canci\xc3\xb3n", "caf\xe9", "a\xff", "a\xfe", "plain"}) {
    ASSERT_EQ(mkdir((dir / name).c_str(), 0755), 0);
  }
  ASSERT_EQ(mkdir((dir / "caf\xe9/inner").c_str(), 0755), 0);
  struct Case {
    std::string path;
    bool found;
  } cases[] = {
      {dir / "Canci\xc3\xb3n", true}, {dir / "caf\xe9/inner", true}, {dir / "plain", true},
      {dir / "a\xff", false},         {dir / "a\xfe/inner", false},  {"/", true},
  };
  for (const Case& c : cases) {
    std::string exact;
    EXPECT_EQ(ExactPathOf(QFile::decodeName(c.path.c_str()), &exact), c.found) << c.path;
    if (c.found) {
      EXPECT_EQ(exact, c.path);
    }
  }
  std::string exact;
  EXPECT_FALSE(ExactPathOf(QString("relative/path"), &exact));
  // A folder one may pass through but not list: valid names need no listing.
  ScopedFaults unlistable(
      [](const InjectedCall& c) { return std::strcmp(c.call, "opendir") == 0 ? EACCES : 0; });
  EXPECT_TRUE(ExactPathOf(QFile::decodeName((dir / "plain").c_str()), &exact));
  EXPECT_EQ(exact, dir / "plain");
  EXPECT_FALSE(ExactPathOf(QFile::decodeName((dir / "caf\xe9").c_str()), &exact));
}

TEST(QtPrompts, InputTypedAheadIsDiscarded) {
  QLineEdit edit;
  edit.show();
  QApplication::postEvent(&edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
  DiscardQueuedInput();
  QApplication::processEvents();
  EXPECT_EQ(edit.text(), QString());
  QApplication::postEvent(&edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b"));
  QApplication::processEvents();
  EXPECT_EQ(edit.text(), QString("b"));  // input after the flush arrives
}

}  // namespace
