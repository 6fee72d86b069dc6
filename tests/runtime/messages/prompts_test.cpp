#include "runtime/messages/prompts.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/scripted_prompts.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/catalog.h"
#include "support/runtime_fixture.h"
#include "support/start_folder_fixture.h"
#include "support/temp_dir.h"

namespace {

class PromptTest : public StartFolderTest {
 protected:
  ScriptedPrompts prompts_;
};

TEST_F(PromptTest, AnswersFollowTheLetterConvention) {
  struct Case {
    PromptButton button;
    std::uint16_t answer;
  } cases[] = {{PromptButton::kYes, 'Y'},  {PromptButton::kNo, 'N'},    {PromptButton::kCancel, 3},
               {PromptButton::kOk, 'Y'},   {PromptButton::kRetry, 'Y'}, {PromptButton::kAbort, 3},
               {PromptButton::kIgnore, 3}, {PromptButton::kNone, 3}};
  for (const Case& c : cases) {
    prompts_.Answer(c.button);
    EXPECT_EQ(ShowMessageBox(Lit("Go on?"), EmptyDesc(), kBoxYesNoCancel), c.answer);
  }
  ASSERT_FALSE(prompts_.boxes().empty());
  EXPECT_EQ(prompts_.boxes()[0].caption, u"Information Request");
  EXPECT_EQ(prompts_.boxes()[0].kind, kBoxYesNoCancel);
  EXPECT_EQ(MarkArea(), 0);
  (void)ShowMessageBox(Lit("Canci\xc3\xb3n"), Lit("Mine"), kBoxWarning);
  EXPECT_EQ(prompts_.boxes().back().text, u"Cancion");  // display text
  EXPECT_EQ(prompts_.boxes().back().caption, u"Mine");
}

TEST_F(PromptTest, AskYesNoUsesTheLanguagesYesLetter) {
  prompts_.Answer(PromptButton::kYes);
  prompts_.Answer(PromptButton::kNo);
  EXPECT_TRUE(AskYesNo(Lit("Sure?")));
  EXPECT_FALSE(AskYesNo(Lit("Sure?")));
  EXPECT_EQ(prompts_.boxes()[0].kind, kBoxYesNo);
  ResetLanguageModule();
  ASSERT_TRUE(WriteFile(start_ / "QV_LANG_EN.MSJ", "0011 Ss,Nn\r\n0014 Pregunta\r\n"));
  prompts_.Answer(PromptButton::kYes);
  EXPECT_TRUE(AskYesNo(Lit("Seguro?")));
  EXPECT_EQ(prompts_.boxes().back().caption, u"Pregunta");
}

// A module whose answer letters cannot tell Yes from No must never turn a
// No into a Yes: the built-in letters serve then.
TEST_F(PromptTest, NoStaysNoWhateverTheModulesLetters) {
  struct Case {
    const char* module;
    std::uint16_t yes, no;
  } cases[] = {
      {"0011 \r\n0014 Pregunta\r\n", 'Y', 'N'},  // empty letters
      {"0010 x\r\n0012 Info\r\n", 'Y', 'N'},     // missing inside the module's range
      {"0011 Ss\r\n", 'Y', 'N'},                 // no second item
      {"0011 Ja,Ja\r\n", 'Y', 'N'},              // equal letters
      {"0011 \x03,Nn\r\n", 'Y', 'N'},            // the Cancel answer as the Yes letter
      {"0011 Oo,Nn\r\n", 'O', 'N'},              // letters of their own
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    ResetLanguageModule();
    ASSERT_TRUE(WriteFile(start_ / "QV_LANG_EN.MSJ", c.module));
    prompts_.Answer(PromptButton::kNo);
    prompts_.Answer(PromptButton::kYes);
    prompts_.Answer(PromptButton::kNo);
    EXPECT_FALSE(AskYesNo(Lit("Copy?")));
    EXPECT_TRUE(AskYesNo(Lit("Copy?")));
    EXPECT_EQ(ShowMessageBox(Lit("Copy?"), EmptyDesc(), kBoxYesNo), c.no);
    prompts_.Answer(PromptButton::kYes);
    EXPECT_EQ(ShowMessageBox(Lit("Copy?"), EmptyDesc(), kBoxYesNo), c.yes);
    EXPECT_EQ(MarkArea(), 0);
  }
}

TEST_F(PromptTest, TheErrorBoxShowsTheReportAndEmptiesTheLog) {
  AddDetail(kErrFileNotFound, Lit("a.txt"), true);
  ShowErrorBox(kErrFileNotFound);
  ASSERT_EQ(prompts_.boxes().size(), 1u);
  EXPECT_EQ(prompts_.boxes()[0].kind, kBoxStop);
  EXPECT_EQ(prompts_.boxes()[0].caption, u"Fatal Error Ocurred");
  EXPECT_EQ(prompts_.boxes()[0].text, u"Error File Not Found: a.txt");
  EXPECT_EQ(GetVariable(kGroupMessages, kItemDetailLog).len, 0);
  ShowErrorBox(5);
  EXPECT_EQ(prompts_.boxes()[1].kind, kBoxWarning);
  EXPECT_EQ(prompts_.boxes()[1].caption, u"Information Message");
}

TEST_F(PromptTest, ChooseFolderCancelledAndChosen) {
  const AreaMark mark = MarkArea();
  prompts_.Choose(std::nullopt);
  EXPECT_EQ(Text(ChooseFolder(Lit("/srv/Canci\xc3\xb3n"), EmptyDesc())), "");
  ASSERT_EQ(prompts_.choosers().size(), 1u);
  EXPECT_EQ(prompts_.choosers()[0].initial, u"/srv/Canci\u00f3n");  // the very folder, unfolded
  EXPECT_EQ(prompts_.choosers()[0].title, u"Choose Selection");
  ReleaseArea(mark);
  prompts_.Choose(u"/data/\u00e9t\u00e9");
  const StrDesc chosen = ChooseFolder(EmptyDesc(), Lit("Pick"));
  EXPECT_TRUE(OneNewString(mark, chosen));
  EXPECT_EQ(Text(chosen), "/data/\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(prompts_.choosers()[1].title, u"Pick");
  EXPECT_FALSE(prompts_.choosers()[1].initial.empty());  // the current folder
  ReleaseArea(mark);
  prompts_.ChooseBytes("/data/caf\xe9");
  EXPECT_EQ(Text(ChooseFolder(EmptyDesc(), EmptyDesc())), "/data/caf\xe9");  // exact bytes
  ReleaseArea(mark);
  // A choice that names no single folder is refused with a box, never guessed.
  prompts_.ChooseUnmatched(u"/data/a\ufffd");
  const StrDesc refused = ChooseFolder(EmptyDesc(), EmptyDesc());
  EXPECT_TRUE(OneNewString(mark, refused));
  EXPECT_EQ(Text(refused), "");
  ASSERT_FALSE(prompts_.boxes().empty());
  EXPECT_NE(prompts_.boxes().back().text.find(u"/data/a\ufffd"), std::u16string::npos);
}

}  // namespace
