#include "runtime/memory/string_area.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "support/runtime_fixture.h"

namespace {

using AreaTest = RuntimeTest;  // the application's 512 levels of 1,024 bytes

TEST_F(AreaTest, SmallPushesTakeALevelAndFourByteSteps) {
  const std::uint32_t before = FreeBytes();
  struct Case {
    std::uint16_t n;
    std::uint32_t taken;
  } cases[] = {{0, 0}, {1, 4}, {3, 4}, {4, 4}, {5, 8}, {1023, 1024}};
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    ASSERT_EQ(ReserveTop(c.n, 'z'), kOk);
    EXPECT_EQ(MarkArea(), mark + 1);
    EXPECT_EQ(TopString().len, c.n);
    EXPECT_EQ(before - FreeBytes(), c.taken) << c.n;
    ReleaseArea(mark);
    EXPECT_EQ(FreeBytes(), before);
  }
}

TEST_F(AreaTest, The512thStringFailsAndLeavesTheAreaAsItWas) {
  EXPECT_EQ(FillArea(0), 511);
  const AreaMark full = MarkArea();
  const std::uint32_t free_bytes = FreeBytes();
  EXPECT_EQ(PushCopy(Lit("x")), kErrOutOfMemory);
  EXPECT_EQ(MarkArea(), full);
  EXPECT_EQ(FreeBytes(), free_bytes);
  EXPECT_TRUE(FailedWith(full, KeepResult(full, Lit("x")), kErrOutOfMemory));
  ReleaseArea(0);
  EXPECT_EQ(MarkArea(), 0);
}

class SmallAreaTest : public RuntimeTest {
 protected:
  SmallAreaTest() { area_kib_ = 64; }
};

TEST_F(SmallAreaTest, APushOfExactlyTheFreeBytesFits) {
  // Bring the free space below 65,535 so that one push can reach it.
  ASSERT_EQ(ReserveTop(60000, kNoFill), kOk);
  const AreaMark mark = MarkArea();
  const std::uint32_t free_bytes = FreeBytes();
  ASSERT_LT(free_bytes, 65535u);
  EXPECT_EQ(ReserveTop(static_cast<std::uint16_t>(free_bytes + 1), kNoFill), kErrOutOfMemory);
  EXPECT_EQ(MarkArea(), mark);
  EXPECT_EQ(ReserveTop(static_cast<std::uint16_t>(free_bytes), kNoFill), kOk);
  EXPECT_EQ(FreeBytes(), 0u);  // the four bytes before the end are never used
  EXPECT_EQ(ReserveTop(0, kNoFill), kOk);
  EXPECT_EQ(ReserveTop(1, kNoFill), kErrOutOfMemory);
}

TEST_F(AreaTest, ReleaseToAnInvalidLevelChangesNothing) {
  ASSERT_EQ(PushCopy(Lit("abc")), kOk);
  ASSERT_EQ(PushCopy(Lit("def")), kOk);
  const AreaMark top = MarkArea();
  EXPECT_EQ(ReleaseArea(65535), top);
  EXPECT_EQ(ReleaseArea(512), top);
  EXPECT_EQ(ReleaseArea(top + 5), top);  // above the current level: stale entries
  EXPECT_EQ(Text(TopString()), "def");
  EXPECT_EQ(ReleaseArea(top - 1), top - 1);
  EXPECT_EQ(Text(TopString()), "abc");
}

TEST_F(AreaTest, KeepResultMovesAnOverlappingResultDownIntact) {
  const AreaMark mark = MarkArea();
  ASSERT_EQ(PushCopy(Lit("ab")), kOk);  // 4 bytes: the result will overlap its new place
  std::string expected;
  for (int i = 0; i < 300; ++i) expected += static_cast<char>('a' + i % 26);
  ASSERT_EQ(PushCopy(View(expected)), kOk);
  const StrDesc kept = KeepResult(mark, TopString());
  EXPECT_TRUE(OneNewString(mark, kept));
  EXPECT_EQ(Text(kept), expected);
}

TEST_F(AreaTest, KeepResultOfAnErrorReturnsItAtTheMark) {
  const AreaMark mark = MarkArea();
  ASSERT_EQ(PushCopy(Lit("scratch")), kOk);
  EXPECT_TRUE(FailedWith(mark, KeepResult(mark, ErrorDesc(kErrBadInputData)), kErrBadInputData));
  EXPECT_TRUE(FailedWith(mark, KeepResult(mark, StrDesc{nullptr, 0}), kFailure));
}

TEST_F(AreaTest, DescriptorStatusAndCStrings) {
  EXPECT_EQ(DescStatus(StrDesc{nullptr, 0}), kFailure);
  EXPECT_EQ(DescStatus(StrDesc{nullptr, 145}), 145);
  EXPECT_EQ(DescStatus(StrDesc{"", 0}), kOk);
  EXPECT_EQ(DescStatus(StrDesc{"x", 9}), kOk);
  EXPECT_EQ(DescStatus(DescFromCString(nullptr)), kErrBadInputData);
  EXPECT_EQ(Text(DescFromCString("hello")), "hello");
  EXPECT_EQ(PushCopy(ErrorDesc(kErrDataOutBound)), kErrDataOutBound);
}

TEST_F(AreaTest, WriteIntoClipsAtTheDestinationsEnd) {
  char buffer[8] = {'.', '.', '.', '.', '.', '.', '.', '.'};
  const StrDesc dest{buffer, 6};
  EXPECT_EQ(WriteInto(dest, 4, Lit("wxyz")), kOk);
  EXPECT_EQ(std::string(buffer, 8), "....wx..");
  EXPECT_EQ(WriteInto(dest, 6, Lit("q")), kOk);
  EXPECT_EQ(WriteInto(dest, 60000, Lit("q")), kOk);
  EXPECT_EQ(std::string(buffer, 8), "....wx..");
  EXPECT_EQ(WriteInto(dest, 0, ErrorDesc(kErrOutOfMemory)), kErrOutOfMemory);
}

TEST_F(AreaTest, FreeTopSpaceCommitsInPlace) {
  StrDesc space = FreeTopSpace();
  EXPECT_EQ(space.len, 65535);  // capped: the fresh area has 524,284 free bytes
  const AreaMark mark = MarkArea();
  std::memcpy(const_cast<char*>(space.ptr), "built", 5);
  const StrDesc kept = KeepResult(mark, MakeDesc(space.ptr, 5));
  EXPECT_TRUE(OneNewString(mark, kept));
  EXPECT_EQ(kept.ptr, space.ptr);
  EXPECT_EQ(Text(kept), "built");
}

TEST_F(AreaTest, PushConcatJoinsOrRefusesPast65535) {
  const AreaMark mark = MarkArea();
  ASSERT_EQ(PushConcat(Lit("left"), Lit("right")), kOk);
  EXPECT_EQ(Text(TopString()), "leftright");
  const std::string big(40000, 'b');
  EXPECT_EQ(PushConcat(View(big), View(big)), kErrStringTooLong);
  EXPECT_EQ(MarkArea(), mark + 1);
  EXPECT_EQ(PushConcat(ErrorDesc(kErrFileNotFound), Lit("x")), kErrFileNotFound);
}

TEST_F(AreaTest, RecordErrorKeepsTheFirstFailure) {
  EXPECT_EQ(RecordError(0, kSubStrConcat, kErrMemTestError, 7), 0);
  EXPECT_EQ(LastError(), 0u);
  EXPECT_EQ(RecordError(1, kSubStreams, 100, 100), 100);  // below 128: not recorded
  EXPECT_EQ(LastError(), 0u);
  EXPECT_EQ(RecordError(1, kSubStrConcat, kErrMemTestError, kErrMemTestError), kErrMemTestError);
  EXPECT_EQ(RecordError(1, kSubFormatStrings, kErrStringTooLong, 146), 146);
  EXPECT_EQ(LastError(), (std::uint32_t{kSubStrConcat} << 16) | kErrMemTestError);
  EXPECT_EQ(RecordError(2, kSubStreams, 100, 5), 5);  // condition 2 overwrites, any code
  EXPECT_EQ(LastError(), (std::uint32_t{kSubStreams} << 16) | 100u);
  EXPECT_EQ(DescStatus(ErrorResult(1, kSubStreams, kErrFileNotFound, Lit("ok"))), kErrFileNotFound);
  EXPECT_EQ(Text(ErrorResult(0, kSubStreams, kErrFileNotFound, Lit("ok"))), "ok");
}

TEST_F(AreaTest, AReleasedAreaRefusesPushes) {
  ASSERT_EQ(ReleaseStringArea(), kOk);
  EXPECT_EQ(PushCopy(Lit("x")), kErrBadInputData);
  // A block allocated afterwards may take the area's old slot; it must stay untouched.
  auto* p = static_cast<unsigned char*>(AllocBlockPtr(kOwnerSortedTable, 16));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(ReserveTop(8, 'x'), kErrBadInputData);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, p), kOk);
  ASSERT_EQ(InitStringArea(512), kOk);
}

}  // namespace
