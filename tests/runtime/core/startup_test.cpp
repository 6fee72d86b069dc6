#include "runtime/core/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "runtime/text/lists.h"

namespace {

std::string Text(StrDesc s) { return std::string(s.ptr, s.len); }

// Start-up and shutdown run on a runtime that is not up yet.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigureRuntimeMemory(512, kKeepCurrent);
    ResetErrorState();
  }
  void TearDown() override {
    if (g_runtime_memory.block_count != 0) {
      DestroyTypedLists();
      (void)ReleaseVariableStore();
      (void)ReleaseAllBlocks(true);
    }
    ConfigureRuntimeMemory(kDefaultAreaSizeKiB, kDefaultBlockCapacity);
  }
};

TEST_F(StartupTest, StartsStoresTheCommandLineAndShutsDownClean) {
  int instance = 0;
  ASSERT_EQ(RuntimeStartup(&instance, u"\"C:/prog\"  \"arg\"", &InitVariableStore), kOk);
  EXPECT_EQ(RuntimeInstance(), &instance);
  EXPECT_EQ(Text(GetVariable(kGroupSettings, kItemCommandLine)), "\"C:/prog\" \"arg\"");
  EXPECT_EQ(g_runtime_memory.area.level_count, 512);
  ASSERT_EQ(CreateTypedLists(), kOk);
  (void)SetSetting(kSettingCurrentGotoEntry, 2);
  EXPECT_EQ(RuntimeShutdown(), kOwnerNone);
  EXPECT_EQ(g_runtime_memory.block_count, 0);
  EXPECT_EQ(g_variable_store.block, nullptr);
}

TEST_F(StartupTest, AFailingCallbackEndsBeforeTheCommandLine) {
  static bool called = false;
  auto failing = []() -> StatusWord {
    called = true;
    return kErrOutOfMemory;
  };
  EXPECT_EQ(RuntimeStartup(nullptr, u"prog", failing), kErrOutOfMemory);
  EXPECT_TRUE(called);
  EXPECT_EQ(g_variable_store.block, nullptr);
}

TEST_F(StartupTest, ALeftoverBlockIsReportedAndNothingGiven) {
  ASSERT_EQ(RuntimeStartup(nullptr, nullptr, &InitVariableStore), kOk);
  void* leaked = AllocBlockPtr(kOwnerSortedTable, 16);
  ASSERT_NE(leaked, nullptr);
  EXPECT_EQ(RuntimeShutdown(), kOwnerSortedTable);
  EXPECT_NE(g_runtime_memory.block_count, 0);
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, leaked), kOk);
  EXPECT_EQ(RuntimeShutdown(), kOwnerNone);
}

TEST_F(StartupTest, ArgumentWordsSplitBackTheSame) {
  const char* argv[] = {"/opt/my tools/vantoro", "plain", "say \"hi\"", "it's here", ""};
  EXPECT_EQ(CommandLineFromArgs(5, argv),
            u"\"/opt/my tools/vantoro\" plain 'say \"hi\"' \"it's here\" \"\"");
  ASSERT_EQ(RuntimeStartup(nullptr, CommandLineFromArgs(5, argv).c_str(), &InitVariableStore), kOk);
  const StrDesc line = GetVariable(kGroupSettings, kItemCommandLine);
  EXPECT_EQ(ItemCount(line, ' '), 5);
  EXPECT_EQ(Text(Item(line, ' ', 3)), "'say \"hi\"'");
  EXPECT_EQ(Text(Item(line, ' ', 4)), "\"it's here\"");
}

}  // namespace
