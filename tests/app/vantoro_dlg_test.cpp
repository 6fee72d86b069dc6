#include "app/vantoro_dlg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <ctime>
#include <filesystem>
#include <functional>

#include "app/pass_progress.h"
#include "app/vantoro_app.h"
#include "platform/ui/scripted_prompts.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/catalog.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"
#include "support_qt/when_modal.h"
#include "vantoro_version.h"

namespace {

std::u16string U16(const std::string& s) { return QString::fromStdString(s).toStdU16String(); }

// Today as the backup tree's dated folders name it (MM-DD-YY, local time).
std::string Today() {
  char text[16];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  std::strftime(text, sizeof text, "%m-%d-%y", localtime_r(&now, &local));
  return text;
}

// A window over a running runtime, with scripted prompts and two folders.
class WindowTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ResetLanguageModule();
    ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
    ASSERT_EQ(mkdir(left().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(right().c_str(), 0755), 0);
    dialog_.Create();
  }
  void TearDown() override {
    ResetLanguageModule();
    RuntimeTest::TearDown();
  }
  std::string left() const { return dir_ / "left"; }
  std::string right() const { return dir_ / "right"; }
  void Put(const std::string& path, std::int64_t stamp, const std::string& bytes = "x") {
    ASSERT_TRUE(WriteFile(path, bytes));
    ASSERT_TRUE(SetModified(path, stamp));
  }
  void Fill(const std::string& l, const std::string& r) {
    dialog_.FillViews(View(l), View(r));
    EXPECT_EQ(MarkArea(), 0);
    ASSERT_EQ(dialog_.LeftList()->count(), dialog_.RightList()->count());
    ASSERT_EQ(dialog_.LeftLines().size(), static_cast<std::size_t>(dialog_.LeftList()->count()));
  }
  static std::string Marker(const std::string& line) {
    return line.size() >= 4 ? line.substr(line.size() - 4) : line;
  }
  ScopedTimeZone tz_{"UTC"};
  TempDir dir_;
  ScriptedPrompts prompts_;
  CVantoroDlg dialog_;
  const std::int64_t t_ = 1489573353;
};

TEST_F(WindowTest, ThreeRowsForTwoFoldersWithOneCommonFile) {
  Put(left() + "/a.txt", t_);
  Put(left() + "/b.txt", t_, "left copy, longer");
  Put(right() + "/b.txt", t_ + 1, "right");
  Put(right() + "/c.txt", t_);
  Fill(left(), right());
  ASSERT_EQ(dialog_.LeftLines().size(), 3u);
  EXPECT_EQ(Marker(dialog_.LeftLines()[0]), " ++ ");
  EXPECT_EQ(dialog_.RightLines()[0], "");
  EXPECT_EQ(Marker(dialog_.LeftLines()[1]), " == ");
  EXPECT_EQ(dialog_.RightLines()[1], dialog_.LeftLines()[1]);  // the left copy's size in both
  EXPECT_NE(dialog_.RightLines()[1].find("     17"), std::string::npos);
  EXPECT_EQ(dialog_.LeftLines()[2], "");
  EXPECT_EQ(Marker(dialog_.RightLines()[2]), " XX ");
  EXPECT_EQ(dialog_.LeftNames(), (std::vector<std::string>{"a.txt", "b.txt", ""}));
  EXPECT_EQ(dialog_.RightNames(), (std::vector<std::string>{"", "b.txt", "c.txt"}));
  EXPECT_EQ(dialog_.LeftList()->item(1)->text().toStdString(), dialog_.LeftLines()[1]);
  EXPECT_EQ(dialog_.LeftList()->currentRow(), -1);  // no row selected after filling
  EXPECT_EQ(qobject_cast<QLineEdit*>(dialog_.Control(kIdLeftPath))->text().toStdString(), left());
}

TEST_F(WindowTest, EmptyFolderTextsGiveOneSidedColumns) {
  Put(left() + "/a", t_);
  Put(right() + "/b", t_);
  Put(right() + "/c", t_);
  Fill("", right());
  ASSERT_EQ(dialog_.RightLines().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(dialog_.LeftLines()[i], "");
    EXPECT_EQ(Marker(dialog_.RightLines()[i]), " XX ");
  }
  Fill(left(), "");
  ASSERT_EQ(dialog_.LeftLines().size(), 1u);
  EXPECT_EQ(Marker(dialog_.LeftLines()[0]), " ++ ");
  EXPECT_EQ(dialog_.RightLines()[0], "");
  Fill("", "");
  EXPECT_EQ(dialog_.LeftList()->count(), 0);
}

TEST_F(WindowTest, ChoosingTheFolderShownAgainChangesNothing) {
  Put(left() + "/a", t_);
  Put(right() + "/a", t_);
  prompts_.Choose(U16(left()));
  dialog_.Dispatch(kIdBrowseLeft, Notify::kClicked);
  dialog_.FillViews(View(left()), View(right()));
  ASSERT_EQ(dialog_.LeftLines().size(), 1u);
  ASSERT_EQ(prompts_.choosers().size(), 1u);
  EXPECT_FALSE(prompts_.choosers()[0].initial.empty());  // no folder yet: the current one
  Put(left() + "/new", t_);
  prompts_.Choose(U16(left()));
  dialog_.Dispatch(kIdBrowseLeft, Notify::kClicked);
  EXPECT_EQ(prompts_.choosers()[1].initial, U16(left()));  // opens on the side's folder
  EXPECT_EQ(dialog_.LeftLines().size(), 1u);               // not listed again
  prompts_.Choose(std::nullopt);                           // cancelled: nothing changes
  dialog_.Dispatch(kIdBrowseRight, Notify::kClicked);
  EXPECT_EQ(dialog_.RightFolder(), right());
}

TEST_F(WindowTest, SelectionsMoveInStepAndForgetTheGotoEntry) {
  for (const char* n : {"a", "b", "c", "d", "e", "f"}) Put(left() + "/" + n, t_);
  Fill(left(), right());
  (void)SetSetting(kSettingCurrentGotoEntry, 3);
  dialog_.LeftList()->setCurrentRow(4);
  EXPECT_EQ(dialog_.RightList()->currentRow(), 4);
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 0);
  (void)SetSetting(kSettingCurrentGotoEntry, 2);
  dialog_.RightList()->setCurrentRow(1);
  EXPECT_EQ(dialog_.LeftList()->currentRow(), 1);
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 0);
}

TEST_F(WindowTest, EnterEndsTheWindowWhereverTheFocusIs) {
  dialog_.open();
  dialog_.LeftList()->setFocus();
  QTest::keyClick(dialog_.LeftList(), Qt::Key_Return);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  for (int id : {kIdCompare, kIdCopyRight, kIdBrowseLeft}) {
    auto* button = qobject_cast<QPushButton*>(dialog_.Control(id));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->autoDefault());
    EXPECT_FALSE(button->isDefault());
  }
  dialog_.open();
  QTest::keyClick(dialog_.Control(kIdCopyRight), Qt::Key_Escape);
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
}

TEST_F(WindowTest, InsertCurrentWithAnEmptyFolderDoesNothing) {
  Fill(left(), "");
  dialog_.Dispatch(kIdInsertCurrent, Notify::kCommand);
  EXPECT_TRUE(prompts_.boxes().empty());
  EXPECT_EQ(access("historic.txt", F_OK), -1);  // nothing written in the start folder
  EXPECT_EQ(dialog_.History().text, "");
}

TEST_F(WindowTest, TheAboutTextEndsWithTheStartAndDataFolders) {
  ASSERT_EQ(SetVariable(kGroupSettings, kItemCommandLine, Lit("/usr/bin/vantoro")), kOk);
  dialog_.Dispatch(kIdAbout, Notify::kCommand);
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  const QString text = QString::fromStdU16String(prompts_.boxes()[0].text);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  const std::string here = cwd;
  const std::string data = here.substr(0, here.rfind('/')) + "/data";
  EXPECT_TRUE(
      text.endsWith(QString::fromStdString("Start folder: " + here + "\r\nData folder: " + data)))
      << text.toStdString();
  EXPECT_TRUE(text.startsWith("Vantoro 2017")) << text.toStdString();
  EXPECT_TRUE(text.contains("Version 2.20.0  Language EN"));
  EXPECT_TRUE(text.contains("Program: /usr/bin/vantoro"));
  EXPECT_EQ(prompts_.boxes()[0].caption, u"About Box");
  EXPECT_EQ(prompts_.boxes()[0].kind, kBoxInfo);
}

TEST_F(WindowTest, AFolderWithTooManyFilesIsNeverShownAsEmpty) {
  Put(left() + "/kept", t_);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_TRUE(WriteFile(right() + "/a-rather-long-file-name-" + std::to_string(i), ""));
  }
  Fill(left(), right());
  EXPECT_EQ(dialog_.LeftList()->count(), 0);  // no row claims "kept" is on the left only
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  const std::u16string expected =
      u"The folder " + U16(right()) + u" holds too many files to compare.";
  EXPECT_EQ(prompts_.boxes()[0].text, expected);
  // Choosing it again after a clean-up lists it.
  Fill(left(), right());
  EXPECT_EQ(prompts_.boxes().size(), 2u);
}

TEST_F(WindowTest, RowsKeepTheExactBytesOfTheirNames) {
  const std::string name = "Canci\xc3\xb3n \xff.txt";  // folds for display, holds an invalid byte
  Put(left() + "/" + name, t_);
  Fill(left(), right());
  ASSERT_EQ(dialog_.LeftNames().size(), 1u);
  EXPECT_EQ(dialog_.LeftNames()[0], name);
  EXPECT_TRUE(dialog_.LeftList()->item(0)->text().startsWith(" Cancion \u00ff.txt"));
}

// A line break, a TAB or an ESC in a name shows as one visible character:
// the row keeps its size, date and marker in their columns, and its exact bytes.
TEST_F(WindowTest, ControlBytesShowAsOneVisibleCharacter) {
  const std::string name = "a\nb\tc\x1b\x7f";
  // A direction override would turn the rest of the row round (its " >> "
  // read as "<<"); a line separator would cut it like a line break.
  const std::string override_name = "x\xe2\x80\xaey.txt", separator_name = "p\xe2\x80\xa8q";
  for (const std::string& n : {name, override_name, separator_name, std::string("plain")}) {
    Put(left() + "/" + n, t_);
  }
  Fill(left(), right());
  ASSERT_EQ(dialog_.LeftNames().size(), 4u);
  EXPECT_EQ(dialog_.LeftNames()[0], name);
  const QString shown = dialog_.LeftList()->item(0)->text();
  EXPECT_TRUE(shown.startsWith(QString::fromUtf16(u" a\u240Ab\u2409c\u241B\u2421 ")))
      << shown.toStdString();
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    const QString line = dialog_.LeftList()->item(row)->text();
    for (const QChar c : line) {
      EXPECT_GE(c.unicode(), 0x20);
      EXPECT_NE(c.category(), QChar::Other_Format);
      EXPECT_NE(c.category(), QChar::Separator_Line);
    }
    EXPECT_EQ(line.size(), dialog_.LeftList()->item(3)->text().size());  // the columns line up
    EXPECT_TRUE(line.endsWith(" ++ "));
  }
}

// Row k of the left column stays beside row k of the right one, whichever
// column is scrolled and however.
TEST_F(WindowTest, TheColumnsScrollTogether) {
  for (int i = 0; i < 200; ++i) Put(left() + "/f" + std::to_string(1000 + i), t_);
  Fill(left(), right());
  dialog_.show();
  QApplication::processEvents();
  QScrollBar* l = dialog_.LeftList()->verticalScrollBar();
  QScrollBar* r = dialog_.RightList()->verticalScrollBar();
  ASSERT_GT(l->maximum(), 30);
  l->setValue(30);
  EXPECT_EQ(r->value(), 30);
  QWheelEvent wheel(QPointF(5, 5), dialog_.RightList()->mapToGlobal(QPointF(5, 5)), QPoint(),
                    QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(dialog_.RightList()->viewport(), &wheel);
  EXPECT_GT(r->value(), 30);
  EXPECT_EQ(l->value(), r->value());
  dialog_.LeftList()->setFocus();
  QTest::keyClick(dialog_.LeftList(), Qt::Key_End);
  EXPECT_EQ(l->value(), l->maximum());
  EXPECT_EQ(r->value(), l->value());
  dialog_.hide();
}

// ">>" copies the selected row's file across after a backup: the row is
// rebuilt at its place in both columns and no row stays selected. A copy
// that is refused shows the error box and keeps the rows.
TEST_F(WindowTest, TheCopyButtonsCopyTheSelectedRow) {
  TempDir start;
  ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, View(start.path())), kOk);
  Put(left() + "/a.txt", t_, "a");
  Put(left() + "/b.txt", t_ + 100, "new b");
  Put(right() + "/b.txt", t_, "old b");
  Put(left() + "/c.txt", t_ + 100, "new c");
  Put(right() + "/c.txt", t_, "read-only c");
  ASSERT_EQ(chmod((right() + "/c.txt").c_str(), 0444), 0);
  Fill(left(), right());
  ASSERT_EQ(Marker(dialog_.LeftLines()[1]), " >> ");
  dialog_.LeftList()->setCurrentRow(1);
  ASSERT_EQ(dialog_.RightList()->currentRow(), 1);
  QTest::mouseClick(qobject_cast<QPushButton*>(dialog_.Control(kIdCopyRight)), Qt::LeftButton);
  EXPECT_EQ(ReadFile(right() + "/b.txt"), "new b");
  EXPECT_EQ(Marker(dialog_.LeftLines()[1]), " == ");
  EXPECT_EQ(dialog_.RightLines()[1], dialog_.LeftLines()[1]);
  EXPECT_EQ(dialog_.RightList()->item(1)->text().toStdString(), dialog_.RightLines()[1]);
  EXPECT_EQ(dialog_.LeftList()->count(), 3);
  EXPECT_TRUE(dialog_.LeftList()->selectedItems().isEmpty());
  EXPECT_TRUE(dialog_.RightList()->selectedItems().isEmpty());
  EXPECT_TRUE(prompts_.boxes().empty());
  // The read-only copy is refused with a box that names it; nothing changes.
  const std::string before = dialog_.RightLines()[2];
  dialog_.LeftList()->setCurrentRow(2);
  QTest::mouseClick(qobject_cast<QPushButton*>(dialog_.Control(kIdCopyRight)), Qt::LeftButton);
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  EXPECT_NE(prompts_.boxes()[0].text.find(U16(right() + "/c.txt: is read-only")),
            std::u16string::npos);
  EXPECT_EQ(dialog_.RightLines()[2], before);
  // Delete on the right empties that side's line only, after the backup.
  dialog_.RightList()->setCurrentRow(1);
  QTest::mouseClick(qobject_cast<QPushButton*>(dialog_.Control(kIdDeleteRight)), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(right() + "/b.txt"));
  EXPECT_EQ(ReadFile(start / ("Backups" + right() + "/Backup(" + Today() + ")/b.txt")), "new b");
  EXPECT_EQ(dialog_.RightLines()[1], "");
  // No row stays selected: a second press deletes nothing else.
  EXPECT_TRUE(dialog_.LeftList()->selectedItems().isEmpty());
  EXPECT_TRUE(dialog_.RightList()->selectedItems().isEmpty());
  QTest::mouseClick(qobject_cast<QPushButton*>(dialog_.Control(kIdDeleteRight)), Qt::LeftButton);
  EXPECT_EQ(ReadFile(right() + "/c.txt"), "read-only c");
  EXPECT_EQ(dialog_.RightList()->item(1)->text(), QString());
  EXPECT_NE(dialog_.LeftLines()[1], "");
  EXPECT_EQ(MarkArea(), 0);
}

// "All Files >>": the count in the question, the copies after Yes, and one
// box that counts and names what could not be copied.
TEST_F(WindowTest, AllFilesRightAsksCopiesAndSumsUpWhatFailed) {
  TempDir start;
  ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, View(start.path())), kOk);
  for (const char* name : {"a", "b", "c"}) {
    Put(left() + "/" + name, t_ + 100, "new");
    Put(right() + "/" + name, t_, "old");
  }
  ASSERT_EQ(chmod((right() + "/b").c_str(), 0444), 0);
  Fill(left(), right());
  prompts_.Answer(PromptButton::kNo);
  dialog_.Dispatch(kIdAllFilesRight, Notify::kCommand);
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  EXPECT_EQ(prompts_.boxes()[0].text, u"3 Files. Continue?");
  EXPECT_EQ(ReadFile(right() + "/a"), "old");  // No: nothing copied
  prompts_.Answer(PromptButton::kYes);
  dialog_.Dispatch(kIdAllFilesRight, Notify::kCommand);
  EXPECT_EQ(ReadFile(right() + "/a"), "new");
  EXPECT_EQ(ReadFile(right() + "/c"), "new");
  ASSERT_EQ(prompts_.boxes().size(), 3u);
  const std::u16string& summary = prompts_.boxes()[2].text;
  EXPECT_NE(summary.find(u"2 files copied, 1 not copied."), std::u16string::npos);
  EXPECT_NE(summary.find(U16(right() + "/b: is read-only")), std::u16string::npos);
  EXPECT_EQ(Marker(dialog_.RightLines()[0]), " == ");
  EXPECT_EQ(Marker(dialog_.RightLines()[1]), " >> ");
}

// A pass that runs on shows its progress; Cancel stops it after the file
// being copied, and the summary says so.
TEST_F(WindowTest, CancelStopsAPassAfterTheFileBeingCopied) {
  TempDir start;
  ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, View(start.path())), kOk);
  for (const char* name : {"a", "b", "c"}) {
    Put(left() + "/" + name, t_ + 100, "new");
    Put(right() + "/" + name, t_, "old");
  }
  Fill(left(), right());
  PassProgress::SetShowDelay(0);
  bool shown = false;
  // Cancel once the first file is done (the dialog says 1 of 3).
  std::function<void(QWidget*)> cancel_after_first = [&](QWidget* modal) {
    auto* progress = qobject_cast<QProgressDialog*>(modal);
    ASSERT_NE(progress, nullptr);
    shown = true;
    if (progress->value() < 1) {
      WhenModal(cancel_after_first, &dialog_);
      return;
    }
    progress->cancel();
  };
  WhenModal(cancel_after_first, &dialog_);
  prompts_.Answer(PromptButton::kYes);
  dialog_.Dispatch(kIdAllFilesRight, Notify::kCommand);
  PassProgress::SetShowDelay(500);
  EXPECT_TRUE(shown);
  int copied = 0;
  for (const char* name : {"a", "b", "c"}) copied += ReadFile(right() + "/" + name) == "new";
  EXPECT_EQ(copied, 1);
  EXPECT_EQ(ReadFile(right() + "/a"), "new");
  EXPECT_EQ(Marker(dialog_.RightLines()[0]), " == ");  // the copied row keeps its new line
  EXPECT_EQ(Marker(dialog_.RightLines()[2]), " >> ");
  ASSERT_EQ(prompts_.boxes().size(), 2u);
  EXPECT_NE(prompts_.boxes()[1].text.find(u"cancelled"), std::u16string::npos);
}

// With a language module whose letters are its own, the question obeys the
// answer: No copies nothing, Yes copies.
TEST_F(WindowTest, TheQuestionObeysTheLanguagesLetters) {
  TempDir start;
  ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, View(start.path())), kOk);
  ASSERT_TRUE(WriteFile(start / "QV_LANG_EN.MSJ", "0011 Ss,Nn\r\n"));
  ResetLanguageModule();
  Put(left() + "/a", t_ + 100, "new");
  Put(right() + "/a", t_, "old");
  Fill(left(), right());
  prompts_.Answer(PromptButton::kNo);
  dialog_.Dispatch(kIdAllFilesRight, Notify::kCommand);
  EXPECT_EQ(ReadFile(right() + "/a"), "old");
  prompts_.Answer(PromptButton::kYes);
  dialog_.Dispatch(kIdAllFilesRight, Notify::kCommand);
  EXPECT_EQ(ReadFile(right() + "/a"), "new");
}

// The application's start-up and shutdown around a window closed by a timer.
TEST(Application, StartsInOrderAndShutsDown) {
  ScriptedPrompts prompts;
  static bool checked = false;
  checked = false;
  WhenModal([](QWidget* window) {
    EXPECT_EQ(g_runtime_memory.area.level_count, 512);
    EXPECT_EQ(std::string(GetVariable(kGroupSettings, kItemLanguage).ptr, 2), "EN");
    EXPECT_NE(GetVariable(kGroupSettings, kItemStartFolder).len, 0);
    EXPECT_EQ(SetSetting(kSettingCurrentGotoEntry, 5), 5);  // the typed lists exist
    checked = true;
    qobject_cast<QDialog*>(window)->reject();
  });
  CVantoroApp app;
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(checked);
  EXPECT_EQ(g_runtime_memory.block_count, 0);  // everything given back
  ConfigureRuntimeMemory(kDefaultAreaSizeKiB, kDefaultBlockCapacity);
}

// The shown main window as the desktop sees it: a window of its own (no
// dialog of another window), with the icon, named after its desktop entry.
TEST(Application, TheMainWindowIsATopLevelWindowOfTheDesktopEntry) {
  ScriptedPrompts prompts;
  static bool checked = false;
  checked = false;
  WhenModal([](QWidget* window) {
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowType(), Qt::Window);
    EXPECT_EQ(window->parentWidget(), nullptr);
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_EQ(window->windowHandle()->transientParent(), nullptr);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->windowTitle(), "Vantoro");
    EXPECT_EQ(QGuiApplication::desktopFileName(), VANTORO_DESKTOP_ID);
    EXPECT_EQ(QCoreApplication::applicationName(), VANTORO_APPLICATION_NAME);
    EXPECT_EQ(QCoreApplication::applicationVersion(), VANTORO_VERSION);
    checked = true;
    qobject_cast<QDialog*>(window)->reject();
  });
  CVantoroApp app;
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(checked);
  ConfigureRuntimeMemory(kDefaultAreaSizeKiB, kDefaultBlockCapacity);
}

TEST(Application, AFailedStartUpShowsNoWindow) {
  ScriptedPrompts prompts;
  CVantoroApp app;
  app.startup_callback = []() -> StatusWord { return kErrOutOfMemory; };
  // A window would block here: the test ends only because none opens.
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(prompts.boxes().empty());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ConfigureRuntimeMemory(kDefaultAreaSizeKiB, kDefaultBlockCapacity);
}

}  // namespace
