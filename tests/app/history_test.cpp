#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QListWidget>
#include <QMenu>

#include "app/vantoro_dlg.h"
#include "history/goto_history.h"
#include "platform/os/os_calls.h"
#include "platform/ui/scripted_prompts.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/catalog.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

// A window started in a temporary start folder that holds the history file
// and a few folders to bookmark.
class HistoryTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ResetLanguageModule();
    ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
    ASSERT_NE(getcwd(here_, sizeof here_), nullptr);
    ASSERT_EQ(chdir(start_.path().c_str()), 0);
    for (const char* f : {"a", "b", "c", "d", "e", "f"}) {
      ASSERT_EQ(mkdir((start_ / f).c_str(), 0755), 0);
      ASSERT_TRUE(WriteFile(start_ / f + "/file-in-" + f, "x"));
    }
  }
  void TearDown() override {
    ASSERT_EQ(chdir(here_), 0);
    ResetLanguageModule();
    RuntimeTest::TearDown();
  }
  std::string Folder(const char* f) const { return start_ / f; }
  std::string Entry(const char* l, const char* r) const {
    return "'" + Folder(l) + "," + Folder(r) + "'";
  }
  std::string History() const { return ReadFile(start_ / "historic.txt"); }
  void WriteHistory(const std::string& bytes) {
    ASSERT_TRUE(::WriteFile(start_ / "historic.txt", bytes));
  }
  // Opens the window as the program does: start folder, history, entry 1.
  void Open() { dialog_.Create(); }
  std::vector<std::string> MenuLabels() const {
    std::vector<std::string> labels;
    for (QAction* a : dialog_.Popup(0)->actions()) labels.push_back(a->text().toStdString());
    return labels;
  }
  void Command(int id) { dialog_.Dispatch(id, Notify::kCommand); }
  void Show(const char* l, const char* r) { dialog_.FillViews(View(Folder(l)), View(Folder(r))); }

  char here_[4096];
  TempDir start_;
  ScriptedPrompts prompts_;
  CVantoroDlg dialog_;
};

TEST_F(HistoryTest, WithoutAFileTheWindowOpensEmptyAndInsertCreatesIt) {
  Open();
  EXPECT_EQ(MenuLabels(), (std::vector<std::string>{"Salir"}));
  EXPECT_EQ(dialog_.LeftList()->count(), 0);
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 1);
  // No history is no failure: nothing is left for the next error box.
  EXPECT_EQ(g_error_state.code, 0);
  EXPECT_EQ(GetVariable(kGroupMessages, kItemDetailLog).len, 0);
  Show("a", "b");
  Command(kIdInsertCurrent);
  EXPECT_EQ(History(), Entry("a", "b"));
  EXPECT_EQ(MenuLabels(), (std::vector<std::string>{Folder("a") + "\t" + Folder("b"), "Salir"}));
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 1);
  EXPECT_EQ(dialog_.LeftFolder(), Folder("a"));
}

TEST_F(HistoryTest, StartedWithAHistoryItOpensEntryOne) {
  WriteHistory(Entry("a", "b") + "\r\n" + Entry("c", "d"));
  Open();
  EXPECT_EQ(dialog_.LeftFolder(), Folder("a"));
  EXPECT_EQ(dialog_.RightFolder(), Folder("b"));
  ASSERT_EQ(dialog_.LeftList()->count(), 2);  // file-in-a, then file-in-b on the right
  EXPECT_EQ(MenuLabels().size(), 3u);
  Command(kGotoBase + 2);
  EXPECT_EQ(dialog_.LeftFolder(), Folder("c"));
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 2);
  Command(kGotoBase + 7);  // no such entry: two empty folders
  EXPECT_EQ(dialog_.LeftFolder(), "");
  EXPECT_EQ(dialog_.LeftList()->count(), 0);
}

TEST_F(HistoryTest, InsertingEntryThreeAgainMakesItFirstAndKeepsItOnce) {
  WriteHistory(Entry("a", "b") + "\r\n" + Entry("c", "d") + "\r\n" + Entry("e", "f"));
  Open();
  Show("e", "f");
  Command(kIdInsertCurrent);
  EXPECT_EQ(History(), Entry("e", "f") + "\r\n" + Entry("a", "b") + "\r\n" + Entry("c", "d"));
  EXPECT_EQ(MenuLabels().size(), 4u);
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 1);
}

TEST_F(HistoryTest, MovesAtTheEndsLeaveTheFileUntouched) {
  const std::string bytes = Entry("a", "b") + "\n" + Entry("c", "d");  // LF only, by hand
  WriteHistory(bytes);
  Open();
  Command(kIdMoveUp);  // entry 1 is current
  EXPECT_EQ(History(), bytes);
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 1);
  Command(kGotoBase + 2);
  Command(kIdMoveDown);  // the last entry
  EXPECT_EQ(History(), bytes);
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 2);
  Command(kIdMoveUp);  // a real move rewrites, with CR LF
  EXPECT_EQ(History(), Entry("c", "d") + "\r\n" + Entry("a", "b"));
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 1);
  Command(kIdMoveDown);
  EXPECT_EQ(History(), Entry("a", "b") + "\r\n" + Entry("c", "d"));
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 2);
  EXPECT_TRUE(prompts_.boxes().empty());
}

TEST_F(HistoryTest, AClickInAListForgetsTheCurrentEntry) {
  WriteHistory(Entry("a", "b"));
  Open();
  ASSERT_GT(dialog_.LeftList()->count(), 0);
  dialog_.LeftList()->setCurrentRow(0);
  for (int id : {kIdMoveUp, kIdMoveDown, kIdDeleteEntry}) {
    Command(id);
    ASSERT_FALSE(prompts_.boxes().empty());
    EXPECT_EQ(prompts_.boxes().back().text, u"Please, choose a Goto entry or Insert Current");
    EXPECT_EQ(prompts_.boxes().back().caption, u"Goto Menu");
    EXPECT_EQ(prompts_.boxes().back().kind, kBoxInfo);
  }
  EXPECT_EQ(prompts_.boxes().size(), 3u);
  EXPECT_EQ(History(), Entry("a", "b"));
  Command(kGotoBase + 1);  // choosing an entry again lets the edits work
  Command(kIdMoveUp);
  EXPECT_EQ(prompts_.boxes().size(), 3u);
}

TEST_F(HistoryTest, DeletingTheLastOfThreeMakesEntryTwoCurrentAndTheOnlyOneEmptiesTheFile) {
  WriteHistory(Entry("a", "b") + "\r\n" + Entry("c", "d") + "\r\n" + Entry("e", "f"));
  Open();
  Command(kGotoBase + 3);
  Command(kIdDeleteEntry);
  EXPECT_EQ(History(), Entry("a", "b") + "\r\n" + Entry("c", "d"));
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 2);
  EXPECT_EQ(dialog_.LeftFolder(), Folder("c"));
  Command(kIdDeleteEntry);
  Command(kIdDeleteEntry);
  EXPECT_EQ(History(), "<missing>");  // the history is empty: no file is left to bring it back
  EXPECT_EQ(MenuLabels(), (std::vector<std::string>{"Salir"}));
}

TEST_F(HistoryTest, AFailedRewriteLeavesTheOldFile) {
  const std::string bytes = Entry("a", "b") + "\r\n" + Entry("c", "d");
  WriteHistory(bytes);
  Open();
  Command(kGotoBase + 2);
  OsCalls calls = Os();
  calls.open = [](const char*, int, mode_t) -> int {
    errno = EROFS;  // the start folder became read-only
    return -1;
  };
  {
    ScopedOsCalls read_only(calls);
    Command(kIdMoveUp);
    EXPECT_EQ(History(), bytes);
  }
  EXPECT_EQ(History(), bytes);
}

TEST_F(HistoryTest, FoldersAreStoredAsTheirExactBytes) {
  const std::string odd = start_ / "Canci\xc3\xb3n \xff & co";
  const std::string apostrophe = start_ / "O'Brien";
  ASSERT_EQ(mkdir(odd.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(apostrophe.c_str(), 0755), 0);
  Open();
  dialog_.FillViews(View(odd), View(apostrophe));
  Command(kIdInsertCurrent);
  EXPECT_EQ(History(), "\"" + odd + "," + apostrophe + "\"");
  Command(kGotoBase + 1);
  EXPECT_EQ(dialog_.LeftFolder(), odd);  // opens the very folders again
  EXPECT_EQ(dialog_.RightFolder(), apostrophe);
  EXPECT_EQ(MenuLabels()[0].find("Cancion"), start_.path().size() + 1);
  EXPECT_NE(MenuLabels()[0].find("&& co"), std::string::npos);  // "&" shown, not a mnemonic
}

TEST_F(HistoryTest, APairWithACommaIsNotStored) {
  const std::string comma = start_ / "one,two";
  ASSERT_EQ(mkdir(comma.c_str(), 0755), 0);
  WriteHistory(Entry("a", "b"));
  Open();
  dialog_.FillViews(View(comma), View(Folder("b")));
  Command(kIdInsertCurrent);
  EXPECT_EQ(History(), Entry("a", "b"));
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  EXPECT_NE(prompts_.boxes()[0].text.find(QString::fromStdString(comma).toStdU16String()),
            std::u16string::npos);
  EXPECT_EQ(MenuLabels().size(), 2u);
}

TEST_F(HistoryTest, FocusAloneNeitherSelectsNorForgetsTheEntry) {
  WriteHistory(Entry("a", "b") + "\r\n" + Entry("c", "d"));
  Open();
  ASSERT_GT(dialog_.LeftList()->count(), 0);
  for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::PopupFocusReason, Qt::OtherFocusReason}) {
    QFocusEvent in(QEvent::FocusIn, reason);
    QApplication::sendEvent(dialog_.LeftList(), &in);
  }
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 1);
  EXPECT_TRUE(dialog_.LeftList()->selectedItems().isEmpty());
  EXPECT_TRUE(dialog_.RightList()->selectedItems().isEmpty());
  Command(kIdMoveDown);
  EXPECT_TRUE(prompts_.boxes().empty());
  EXPECT_EQ(History(), Entry("c", "d") + "\r\n" + Entry("a", "b"));
}

TEST_F(HistoryTest, AHistoryThatCannotBeReadIsNeverOverwritten) {
  std::string big;
  while (big.size() < 70000) big += Entry("a", "b") + "\r\n";
  WriteHistory(big);
  Open();
  Show("c", "d");
  Command(kIdInsertCurrent);
  EXPECT_EQ(History(), big);
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  EXPECT_NE(prompts_.boxes()[0].text.find(u"cannot be read"), std::u16string::npos);
}

TEST_F(HistoryTest, AFolderWithALineBreakIsNotStored) {
  const std::string broken = start_ / "two\nlines";
  ASSERT_EQ(mkdir(broken.c_str(), 0755), 0);
  Open();
  dialog_.FillViews(View(Folder("a")), View(broken));
  Command(kIdInsertCurrent);
  EXPECT_EQ(History(), "<missing>");
  EXPECT_EQ(prompts_.boxes().size(), 1u);
}

TEST_F(HistoryTest, ALinkedHistoryStaysALink) {
  TempDir elsewhere;
  ASSERT_TRUE(::WriteFile(elsewhere / "kept.txt", Entry("a", "b")));
  ASSERT_EQ(symlink((elsewhere / "kept.txt").c_str(), (start_ / "historic.txt").c_str()), 0);
  Open();
  Show("c", "d");
  Command(kIdInsertCurrent);
  struct stat st {};
  ASSERT_EQ(lstat((start_ / "historic.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(elsewhere / "kept.txt"), Entry("c", "d") + "\r\n" + Entry("a", "b"));
}

// Items past entry 100 are shown and run nothing, whatever other command
// their number would reach (1,772 "Salir", 1,773 "Insert Current", 1,776
// "Delete"); so is an entry holding a NUL byte, which names no folder pair.
TEST_F(HistoryTest, EntriesPastOneHundredAndEntriesWithANulRunNothing) {
  std::string history = Entry("a", "b") + "\r\n" + std::string("'/A\0/B,/C'", 10);
  for (int n = 3; n <= 1780; ++n) history += "\r\n'/x" + std::to_string(n) + ",/y'";
  WriteHistory(history);
  Open();
  const QList<QAction*> items = dialog_.Popup(0)->actions();
  ASSERT_EQ(items.size(), 1781);  // the entries and "Salir"
  int closed = 0;
  QObject::connect(&dialog_, &QDialog::finished, [&closed] { ++closed; });
  Show("c", "d");
  for (int n : {2, 101, 1772, 1773, 1776, 1780}) {
    SCOPED_TRACE(n);
    items[n - 1]->trigger();
    EXPECT_EQ(History(), history);
    EXPECT_EQ(dialog_.LeftFolder(), Folder("c"));
    EXPECT_EQ(closed, 0);
  }
  items[99]->trigger();  // entry 100 still opens
  EXPECT_EQ(dialog_.LeftFolder(), "/x100");
  // Opened by number (as an edit's reload does), the NUL entry opens no folders.
  Command(kGotoBase + 2);
  EXPECT_EQ(dialog_.LeftFolder(), "");
  EXPECT_EQ(dialog_.RightFolder(), "");
  // Deleting it rewrites the file without it; the reload replaces every item.
  Command(kIdDeleteEntry);
  EXPECT_EQ(History().find('\0'), std::string::npos);
  const QList<QAction*> after = dialog_.Popup(0)->actions();
  ASSERT_EQ(after.size(), 1780);
  EXPECT_EQ(after.back()->text().toStdString(), "Salir");
  EXPECT_EQ(closed, 0);
}

TEST(HistoryLabels, ShowBothFoldersSplitByATab) {
  struct Case {
    const char* item;
    const char* label;
  } cases[] = {{"'/a,/b'", "/a\t/b"}, {"\"/it's,/b\"", "/it's\t/b"}, {"/a,/b", "/A\t/B"}};
  ConfigureRuntimeMemory(64, kKeepCurrent);
  ASSERT_EQ(InitVariableStore(), kOk);
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    EXPECT_EQ(Text(EntryLabel(DescFromCString(c.item))), c.label);
    ReleaseArea(mark);
  }
  (void)ReleaseVariableStore();
  (void)ReleaseAllBlocks(true);
  ConfigureRuntimeMemory(kDefaultAreaSizeKiB, kDefaultBlockCapacity);
}

}  // namespace
