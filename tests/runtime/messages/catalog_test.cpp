#include "runtime/messages/catalog.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/core/variable_store.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/strings.h"
#include "support/runtime_fixture.h"
#include "support/start_folder_fixture.h"
#include "support/temp_dir.h"

namespace {

// A start folder of its own, in which a test may drop a language module.
class CatalogTest : public StartFolderTest {
 protected:
  void Module(const std::string& bytes) {
    ASSERT_TRUE(WriteFile(start_ / "QV_LANG_EN.MSJ", bytes));
  }
  std::string Message(const char* code) {
    const AreaMark mark = MarkArea();
    const StrDesc text = MessageText(DescFromCString(code));
    EXPECT_TRUE(OneNewString(mark, text)) << code;
    std::string s = Text(text);
    ReleaseArea(mark);
    return s;
  }
};

TEST_F(CatalogTest, BuiltInTexts) {
  EXPECT_EQ(Message("0011"), "Yy,Nn");
  EXPECT_EQ(Message("0049"), "Choose Selection");
  EXPECT_EQ(Message("0008"), "Warning ");
  EXPECT_EQ(Message("0075"), "About Box");
  EXPECT_EQ(Message("0000"), "");
  EXPECT_EQ(Message("0099"), "");
  EXPECT_EQ(Message("0123 inline default"), "inline default");
  const std::string about = Message("0076");
  EXPECT_EQ(about.rfind("Vantoro %s%s\r\n", 0), 0u);
  const std::string tail = "\r\nStart folder: %s\r\nData folder: %s";
  EXPECT_EQ(about.substr(about.size() - tail.size()), tail);
  std::size_t count = 0;
  for (std::size_t p = about.find("%s"); p != std::string::npos; p = about.find("%s", p + 2))
    ++count;
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(g_module_index.state, kModuleBuiltIn);
}

TEST_F(CatalogTest, AModuleReplacesTheTextsItGives) {
  Module("0011 Ss,Nn\r\n0014 Pregunta\r\n0020 two\\nlines\nABCD letters are no code\r\n0021 last");
  EXPECT_EQ(Message("0011"), "Ss,Nn");
  EXPECT_EQ(Message("0014"), "Pregunta");
  EXPECT_EQ(Message("0012"), "");  // between the module's codes, without a line of its own
  EXPECT_EQ(Message("0020"), "two\r\nlines");
  EXPECT_EQ(Message("0021"), "last");                           // no line break after the last line
  EXPECT_EQ(Message("0005"), "Process Completed Succesfully");  // below the first code
  EXPECT_EQ(Message("0049"), "Choose Selection");               // above the last code
  EXPECT_EQ(g_module_index.state, kModuleLoaded);
  EXPECT_EQ(VariableCount(kGroupLineQueue), 0);  // the queue is left as it was
}

TEST_F(CatalogTest, ModulesThatCannotBeUsedLeaveTheBuiltInTexts) {
  std::string long_module;
  for (int i = 1; i <= 300; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "%04d text %d\r\n", i, i);
    long_module += line;
  }
  const std::string cases[] = {long_module, "", "\r\n\r\n", "junk without codes\r\n"};
  for (const std::string& bytes : cases) {
    ResetLanguageModule();
    Module(bytes);
    EXPECT_EQ(Message("0011"), "Yy,Nn");
    EXPECT_EQ(g_module_index.state, kModuleBuiltIn) << bytes.size();
  }
}

TEST_F(CatalogTest, HostileModulesStayInBounds) {
  std::string binary;
  for (int i = 0; i < 2000; ++i) binary.push_back(static_cast<char>((i * 37) & 0xFF));
  const std::string cases[] = {
      binary,
      "0011 " + std::string(100000, 'x') + "\r\n0012 after\r\n",
      "0050 first\r\n0011 out of order\r\n0050 repeated\r\n0051 next\r\n",
      "0001 a\r\n0400 beyond the index\r\n0002 late\r\n",
      "0011 \\n\\n\\n\\n\\n\\n",
  };
  for (const std::string& bytes : cases) {
    ResetLanguageModule();
    Module(bytes);
    for (const char* code :
         {"0001", "0002", "0011", "0012", "0049", "0050", "0051", "0300", "0400", "9999"}) {
      (void)Message(code);  // must neither crash nor read outside the module
    }
  }
  ResetLanguageModule();
  Module("0050 first\r\n0011 out of order\r\n0050 repeated\r\n0051 next\r\n");
  EXPECT_EQ(Message("0050"), "first");
  EXPECT_EQ(Message("0051"), "next");
  EXPECT_EQ(Message("0011"), "Yy,Nn");
}

TEST_F(CatalogTest, ErrorNamesAndReports) {
  EXPECT_EQ(Text(ErrorText(0)), "Process Completed Succesfully");
  EXPECT_EQ(Text(ErrorText(5)), "Warning ");
  EXPECT_EQ(Text(ErrorText(200)), "Error Undefined");
  EXPECT_EQ(Text(ErrorName(182)), "Undefined");
  EXPECT_EQ(Text(ErrorName(183)), "Data Already exist");
  EXPECT_EQ(Text(ErrorName(122)), "User Canceled");
  EXPECT_EQ(Text(ErrorName(185)), "Graphic Support Low");
  RecordError(kConditionRecord, kSubStreams, kErrFileNotFound, kErrFileNotFound);
  EXPECT_EQ(Text(ErrorText(kErrFileNotFound)), "Error File Not Found(Streams)");
  AddDetail(kErrFileNotFound, Lit("/data/missing.txt"), true);
  EXPECT_EQ(Text(ErrorText(kErrFileNotFound)), "Error File Not Found(Streams): /data/missing.txt");
  EXPECT_EQ(Text(ErrorName(0xFFFF)), "File Not Found");
  EXPECT_EQ(Text(ErrorName(kErrBadUserData)), "/data/missing.txt");  // the log names it
}

}  // namespace
