#include "runtime/core/typed_lists.h"

#include <gtest/gtest.h>

#include "runtime/memory/blocks.h"
#include "support/runtime_fixture.h"

namespace {

using TypedListTest = RuntimeTest;

TEST_F(TypedListTest, SettingsExtendWithZeros) {
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 0);
  EXPECT_EQ(SetSetting(kSettingCurrentGotoEntry, 3), 3);
  ASSERT_NE(ListAt(kSettingsList), nullptr);
  EXPECT_EQ(ListAt(kSettingsList)->element_count, 42);
  for (std::uint16_t i = 0; i < 41; ++i) EXPECT_EQ(GetSetting(i), 0) << i;
  EXPECT_EQ(GetSetting(kSettingCurrentGotoEntry), 3);
  EXPECT_FALSE(TestSetting(kSettingFlags, kSettingFlagDateOption));
  EXPECT_TRUE(TestSetting(kSettingCurrentGotoEntry, 2));
}

TEST_F(TypedListTest, ElementSizeNeverChanges) {
  ASSERT_NE(SetSetting(1, 5), 0);
  const std::uint32_t wide = 7;
  EXPECT_EQ(SetElement(kSettingsList, 1, &wide, 4), nullptr);
  EXPECT_EQ(GetSetting(1), 5);
  EXPECT_EQ(ListAt(kSettingsList)->element_count, 2);

  EXPECT_NE(SetElement(3, 4, &wide, 4), nullptr);
  EXPECT_EQ(*static_cast<std::uint32_t*>(ElementAt(3, 4)), 7u);
  EXPECT_EQ(*static_cast<std::uint32_t*>(ElementAt(3, 0)), 0u);
  EXPECT_EQ(ElementAt(3, 5), nullptr);
  EXPECT_EQ(ElementAt(24, 0), nullptr);
  EXPECT_EQ(SetElement(24, 0, &wide, 4), nullptr);
}

TEST_F(TypedListTest, DestroyGivesEveryBlockBack) {
  ASSERT_NE(SetSetting(41, 1), 0);
  const std::uint32_t v = 1;
  ASSERT_NE(SetElement(0, 10, &v, 4), nullptr);
  DestroyTypedLists();
  EXPECT_EQ(GetSetting(41), 0);
  EXPECT_EQ(SetElement(0, 0, &v, 4), nullptr);  // no table any more
  // Only the area and the store are left: the store's block is the highest one.
  EXPECT_EQ(ReleaseAllBlocks(false), kOwnerVariableStore);
  ASSERT_EQ(CreateTypedLists(), kOk);
}

}  // namespace
