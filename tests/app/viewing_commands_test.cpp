// The window's double click and "Compare" commands, with fake programs in
// place of the comparer and the desktop's opener.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QListWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "actions/process_runner.h"
#include "app/vantoro_dlg.h"
#include "platform/ui/scripted_prompts.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/catalog.h"
#include "support/fake_programs.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

using Args = std::vector<std::string>;

class ViewingCommandsTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ResetLanguageModule();
    ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
    ASSERT_EQ(mkdir(left().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(right().c_str(), 0755), 0);
    fakes_ = std::make_unique<FakePrograms>(only_fakes_);
    fakes_->Add("xdg-open");
    fakes_->Add("diff", "printf 'report of %s and %s\\n' \"$3\" \"$4\"");
    dialog_.Create();
    // The window's start reads a history file that is not there; that is no
    // part of the boxes here.
    ResetErrorState();
    (void)DeleteVariable(kGroupMessages, kItemDetailLog);
  }
  void TearDown() override {
    EXPECT_TRUE(AllStartedProgramsEnded());
    EXPECT_TRUE(NoChildLeft());
    fakes_.reset();
    ResetLanguageModule();
    RuntimeTest::TearDown();
  }
  std::string left() const { return dir_ / "left"; }
  std::string right() const { return dir_ / "right"; }
  void Fill() {
    dialog_.FillViews(View(left()), View(right()));
    ASSERT_EQ(MarkArea(), 0);
  }
  // Selects the row of the name (left or right) in both lists.
  int Select(const std::string& name) {
    for (std::size_t i = 0; i < dialog_.LeftNames().size(); ++i) {
      if (dialog_.LeftNames()[i] == name || dialog_.RightNames()[i] == name) {
        dialog_.LeftList()->setCurrentRow(static_cast<int>(i));
        return static_cast<int>(i);
      }
    }
    ADD_FAILURE() << "no row for " << name;
    return -1;
  }
  std::string LastBox() const {
    return prompts_.boxes().empty()
               ? "<no box>"
               : QString::fromStdU16String(prompts_.boxes().back().text).toStdString();
  }

  bool only_fakes_ = false;
  TempDir dir_, temp_;
  ScopedEnv temp_env_{"TEMP", temp_.path().c_str()};
  std::unique_ptr<FakePrograms> fakes_;
  ScriptedPrompts prompts_;
  CVantoroDlg dialog_;
};

TEST_F(ViewingCommandsTest, CompareReportsOnTheRowsExactCopiesInTheViewer) {
  const std::vector<std::string> names = {"a b  c.txt",         "it's.txt",  "say \"hi\".txt",
                                          "Canci\xc3\xb3n.txt", "-dash.txt", "$(x).txt"};
  for (const std::string& name : names) {
    ASSERT_TRUE(WriteFile(left() + "/" + name, "left\n"));
    ASSERT_TRUE(WriteFile(right() + "/" + name, "right\n"));
  }
  Fill();
  for (const std::string& name : names) {
    fakes_->Forget("xdg-open");
    Select(name);
    dialog_.Dispatch(kIdCompare, Notify::kClicked);
    EXPECT_EQ(LastBox(), "<no box>") << name;
    EXPECT_EQ(fakes_->Args("diff"), (Args{"-s", "-u", left() + "/" + name, right() + "/" + name}));
    const Args viewed = fakes_->Args("xdg-open");
    ASSERT_EQ(viewed.size(), 1u) << name;
    EXPECT_EQ(ReadFile(viewed[0]),
              "report of " + left() + "/" + name + " and " + right() + "/" + name + "\n");
    EXPECT_EQ(MarkArea(), 0);
  }
}

TEST_F(ViewingCommandsTest, CompareWithoutARowOrWithACopyMissingShowsTheErrorBox) {
  ASSERT_TRUE(WriteFile(left() + "/left.txt", "x"));
  ASSERT_TRUE(WriteFile(right() + "/right.txt", "x"));
  Fill();
  dialog_.Dispatch(kIdCompare, Notify::kClicked);  // nothing selected: no name
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  EXPECT_EQ(LastBox(), "Error BADINPUTDATA");
  EXPECT_EQ(prompts_.boxes().back().kind, kBoxStop);
  Select("left.txt");  // " ++ "
  dialog_.Dispatch(kIdCompare, Notify::kClicked);
  EXPECT_EQ(LastBox(), "Error File Not Found: " + right() + "/left.txt");
  Select("right.txt");  // " XX ": its name comes from the right column
  dialog_.Dispatch(kIdCompare, Notify::kClicked);
  EXPECT_EQ(LastBox(), "Error File Not Found: " + left() + "/right.txt");
  EXPECT_EQ(prompts_.boxes().size(), 3u);
  EXPECT_EQ(fakes_->Runs("diff"), 0);
  EXPECT_EQ(MarkArea(), 0);
}

TEST_F(ViewingCommandsTest, ACompareThatNeverEndsIsStoppedWithABox) {
  ASSERT_TRUE(WriteFile(left() + "/x.txt", "l"));
  ASSERT_TRUE(WriteFile(right() + "/x.txt", "r"));
  fakes_->Add("diff", "exec sleep 30");
  Fill();
  Select("x.txt");
  const std::uint32_t limit = SetCaptureLimit(1000);
  dialog_.Dispatch(kIdCompare, Notify::kClicked);
  SetCaptureLimit(limit);
  EXPECT_EQ(LastBox(), "Error DEVICETIMEOUT: diff did not end within 1 s and was stopped");
  EXPECT_EQ(fakes_->Runs("xdg-open"), 0);
}

TEST_F(ViewingCommandsTest, ADoubleClickOpensThatSidesExactFile) {
  const std::string name = "Canci\xc3\xb3n de -x.txt";  // shown folded as "Cancion"
  ASSERT_TRUE(WriteFile(left() + "/" + name, "l"));
  ASSERT_TRUE(WriteFile(right() + "/" + name, "r"));
  ASSERT_TRUE(WriteFile(right() + "/only right.txt", "r"));
  Fill();
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  QListWidget* list = dialog_.LeftList();
  const QRect rect = list->visualItemRect(list->item(Select(name)));
  // A double click arrives after the press of its first click.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(fakes_->Args("xdg-open"), (Args{left() + "/" + name}));
  ASSERT_TRUE(AllStartedProgramsEnded());
  EXPECT_EQ(fakes_->Runs("xdg-open"), 1);  // one double click, one start
  fakes_->Forget("xdg-open");
  Select(name);
  dialog_.Dispatch(kIdRightList, Notify::kDoubleClick);
  EXPECT_EQ(fakes_->Args("xdg-open"), (Args{right() + "/" + name}));
  fakes_->Forget("xdg-open");
  Select("only right.txt");  // the left line is empty: nothing to open
  dialog_.Dispatch(kIdLeftList, Notify::kDoubleClick);
  dialog_.Dispatch(kIdRightList, Notify::kDoubleClick);
  EXPECT_EQ(fakes_->Args("xdg-open"), (Args{right() + "/only right.txt"}));
  EXPECT_EQ(fakes_->Runs("xdg-open"), 1);
  EXPECT_TRUE(prompts_.boxes().empty());
  EXPECT_EQ(MarkArea(), 0);
}

class WithoutOpenerTest : public ViewingCommandsTest {
 protected:
  WithoutOpenerTest() { only_fakes_ = true; }
};

TEST_F(WithoutOpenerTest, AnOpenerThatCannotStartIsReportedAndAFileWithoutTypeIsNot) {
  ASSERT_EQ(unlink((fakes_->folder() + "/xdg-open").c_str()), 0);
  ASSERT_TRUE(WriteFile(left() + "/notes.txt", "x"));
  ASSERT_TRUE(WriteFile(left() + "/README", "x"));
  Fill();
  Select("README");
  dialog_.Dispatch(kIdLeftList, Notify::kDoubleClick);
  EXPECT_TRUE(prompts_.boxes().empty());
  Select("notes.txt");
  dialog_.Dispatch(kIdLeftList, Notify::kDoubleClick);
  EXPECT_EQ(LastBox(), "Error File Not Found: xdg-open");
  EXPECT_EQ(MarkArea(), 0);
}

}  // namespace
