#include "support/runtime_fixture.h"

#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"

std::string Text(StrDesc s) {
  if (s.ptr == nullptr) return "<error " + std::to_string(DescStatus(s)) + ">";
  return std::string(s.ptr, s.len);
}

StrDesc View(const std::string& s) { return MakeDesc(s.data(), s.size()); }

void RuntimeTest::SetUp() {
  ConfigureRuntimeMemory(area_kib_, block_capacity_);
  ResetErrorState();
  ASSERT_EQ(InitVariableStore(), kOk);
  ASSERT_EQ(CreateTypedLists(), kOk);
}

void RuntimeTest::TearDown() {
  DestroyTypedLists();
  (void)ReleaseVariableStore();
  (void)ReleaseStringArea();
  (void)ReleaseAllBlocks(true);
  ConfigureRuntimeMemory(kDefaultAreaSizeKiB, kDefaultBlockCapacity);
  ResetErrorState();
}

::testing::AssertionResult OneNewString(AreaMark mark, StrDesc result) {
  if (result.ptr == nullptr) {
    return ::testing::AssertionFailure() << "failed with " << DescStatus(result);
  }
  if (MarkArea() != mark + 1) {
    return ::testing::AssertionFailure()
           << "area at level " << MarkArea() << ", expected " << mark + 1;
  }
  if (!SameText(TopString(), result) || TopString().ptr != result.ptr) {
    return ::testing::AssertionFailure() << "result is not the top string";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult FailedWith(AreaMark mark, StrDesc result, StatusWord status) {
  if (result.ptr != nullptr) return ::testing::AssertionFailure() << "succeeded: " << Text(result);
  if (DescStatus(result) != status) {
    return ::testing::AssertionFailure()
           << "status " << DescStatus(result) << ", expected " << status;
  }
  if (MarkArea() != mark) {
    return ::testing::AssertionFailure() << "area at level " << MarkArea() << ", expected " << mark;
  }
  return ::testing::AssertionSuccess();
}

int FillArea(std::uint16_t each) {
  int n = 0;
  while (ReserveTop(each, 'x') == kOk) ++n;
  return n;
}

void ExpectEachBuildsOneString(const std::vector<Builder>& builders) {
  ASSERT_EQ(PushCopy(Lit("caller's own")), kOk);
  for (const Builder& b : builders) {
    const AreaMark mark = MarkArea();
    const StrDesc result = b.build();
    EXPECT_TRUE(OneNewString(mark, result)) << b.name;
    EXPECT_EQ(Text(result), b.expected) << b.name;
    ReleaseArea(mark);
  }
}

void ExpectEachFailsOnFullArea(const std::vector<Builder>& builders) {
  FillArea(0);  // all levels taken
  for (const Builder& b : builders) {
    const AreaMark mark = MarkArea();
    EXPECT_TRUE(FailedWith(mark, b.build(), kErrOutOfMemory)) << b.name;
  }
}
