#include "runtime/core/variable_store.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"

namespace {

using StoreTest = RuntimeTest;

TEST_F(StoreTest, SettingBeyondTheEndExtendsTheGroupWithEmptyItems) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(PushVariable(9, Lit("x")), kOk);
  ASSERT_EQ(SetVariable(9, 9, Lit("log")), kOk);
  EXPECT_EQ(VariableCount(9), 10);
  for (int i = 3; i < 9; ++i) EXPECT_EQ(Text(GetVariable(9, i)), "") << i;
  EXPECT_EQ(Text(GetVariable(9, 9)), "log");
  EXPECT_EQ(Text(GetVariable(9, 10)), "");
  EXPECT_EQ(Text(GetVariable(39, 0)), "");
}

TEST_F(StoreTest, DeletingBeyondTheEndExtendsThenRemoves) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(PushVariable(4, Lit("x")), kOk);
  ASSERT_EQ(DeleteVariable(4, 9), kOk);
  EXPECT_EQ(VariableCount(4), 9);
  EXPECT_EQ(DeleteVariable(5, 0), kOk);  // a group without items
  EXPECT_EQ(VariableCount(5), 0);
}

TEST_F(StoreTest, GroupsKeepTheirTextsWhileOthersChange) {
  ASSERT_EQ(SetVariable(0, 1, Lit("command")), kOk);
  ASSERT_EQ(SetVariable(2, 0, Lit("two")), kOk);
  ASSERT_EQ(SetVariable(0, 0, Lit("first")), kOk);
  ASSERT_EQ(SetVariable(1, 2, Lit("one-two")), kOk);
  ASSERT_EQ(SetVariable(0, 1, Lit("cmd")), kOk);  // shorter: later texts move down
  EXPECT_EQ(Text(GetVariable(0, 0)), "first");
  EXPECT_EQ(Text(GetVariable(0, 1)), "cmd");
  EXPECT_EQ(Text(GetVariable(1, 2)), "one-two");
  EXPECT_EQ(Text(GetVariable(2, 0)), "two");
  ASSERT_EQ(DeleteVariable(0, 0), kOk);
  EXPECT_EQ(Text(GetVariable(0, 0)), "cmd");
  EXPECT_EQ(Text(GetVariable(1, 2)), "one-two");
  // A text taken from the store itself.
  ASSERT_EQ(SetVariable(0, 3, GetVariable(2, 0)), kOk);
  ASSERT_EQ(SetVariable(2, 0, GetVariable(1, 2)), kOk);
  EXPECT_EQ(Text(GetVariable(0, 3)), "two");
  EXPECT_EQ(Text(GetVariable(2, 0)), "one-two");
}

TEST_F(StoreTest, StacksAndQueues) {
  for (const char* t : {"a", "b", "c"}) {
    ASSERT_EQ(PushVariable(kGroupLineQueue, DescFromCString(t)), kOk);
    ASSERT_EQ(PushVariable(5, DescFromCString(t)), kOk);
  }
  std::string queue, stack;
  for (int i = 0; i < 3; ++i) {
    queue += Text(TopVariable(kGroupLineQueue));
    stack += Text(TopVariable(5));
    ASSERT_EQ(PopVariable(kGroupLineQueue), kOk);
    ASSERT_EQ(PopVariable(5), kOk);
  }
  EXPECT_EQ(queue, "abc");
  EXPECT_EQ(stack, "cba");
  EXPECT_EQ(Text(TopVariable(5)), "");
  EXPECT_EQ(PopVariable(5), kOk);
}

TEST_F(StoreTest, LimitsAreStrictAndAFailedSetChangesNothing) {
  // Text: 61,360 bytes in use is the most.
  const std::string big(60000, 'b');
  ASSERT_EQ(SetVariable(0, 0, View(big)), kOk);
  const std::string rest(61360 - 60000, 'r');
  ASSERT_EQ(SetVariable(1, 0, View(rest)), kOk);
  EXPECT_EQ(SetVariable(1, 1, Lit("x")), kErrStrOutBound);
  EXPECT_EQ(VariableCount(1), 1);
  EXPECT_EQ(SetVariable(0, 0, View(big + "x")), kErrStrOutBound);
  EXPECT_EQ(GetVariable(0, 0).len, 60000);
  EXPECT_EQ(LastError(), (std::uint32_t{kSubStringAssign} << 16) | kErrLoadStrError);
  ASSERT_EQ(SetVariable(0, 0, Lit("")), kOk);  // replacing with less always fits

  // Slots: 2,047 in use is the most (two are taken above).
  ASSERT_EQ(SetVariable(3, 2044, Lit("last")), kOk);
  EXPECT_EQ(SetVariable(4, 0, Lit("x")), kErrStrOutBound);
  EXPECT_EQ(VariableCount(4), 0);
  EXPECT_EQ(SetVariable(3, 2045, Lit("x")), kErrStrOutBound);
  EXPECT_EQ(Text(GetVariable(3, 2044)), "last");
  EXPECT_EQ(Text(GetVariable(1, 0)), rest);
}

TEST_F(StoreTest, InvalidSlotsAreRefusedAndRecorded) {
  EXPECT_EQ(SetVariable(39, 0, Lit("x")), kErrStrOutBound);
  EXPECT_EQ(LastError(), (std::uint32_t{kSubDynStrings} << 16) | kErrStrOutBound);
  EXPECT_EQ(SetVariable(0, 2048, Lit("x")), kErrStrOutBound);
  EXPECT_EQ(SetVariable(0, 0, ErrorDesc(kErrFileNotFound)), kErrFileNotFound);
  EXPECT_EQ(MarkArea(), 0);
}

TEST_F(StoreTest, AddDetailJoinsWithCrLfAndKeepsTheOldestLines) {
  EXPECT_EQ(AddDetail(kErrFileNotFound, Lit("first.txt"), true), kErrFileNotFound);
  EXPECT_EQ(Text(GetVariable(kGroupMessages, kItemDetailLog)), "first.txt");
  AddDetail(0, Lit("second.txt"), true);
  EXPECT_EQ(Text(GetVariable(kGroupMessages, kItemDetailLog)), "first.txt\r\nsecond.txt");
  AddDetail(0, Lit("only"), false);
  EXPECT_EQ(Text(GetVariable(kGroupMessages, kItemDetailLog)), "only");

  std::string log;
  for (int i = 0; i < 200; ++i) log += (i ? "\r\n" : "") + std::string("line") + std::to_string(i);
  AddDetail(0, View(log), false);
  AddDetail(0, Lit("new"), true);
  const std::string kept = Text(GetVariable(kGroupMessages, kItemDetailLog));
  EXPECT_EQ(kept.rfind("line0\r\n", 0), 0u);
  EXPECT_LE(kept.size(), 1024u + 5u);
  EXPECT_EQ(kept.substr(kept.size() - 5), "\r\nnew");

  AddDetail(0, View(std::string(3000, 'n')), false);  // no CR at all: cut to 1,024
  AddDetail(0, Lit("tail"), true);
  EXPECT_EQ(GetVariable(kGroupMessages, kItemDetailLog).len, 1024 + 6);
  EXPECT_EQ(MarkArea(), 0);
}

}  // namespace
