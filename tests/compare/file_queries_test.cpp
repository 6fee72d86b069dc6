#include "compare/file_queries.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

using FileQueryTest = RuntimeTest;

std::set<std::string> Names(StrDesc list) {
  std::set<std::string> names;
  ListCursor cursor{list, kNul};
  while (cursor.rest.len != 0) names.insert(Text(NextItem(&cursor)));
  return names;
}

TEST_F(FileQueryTest, ListMatchingNamesLeavesOneNulSeparatedList) {
  TempDir dir;
  const std::string base = dir.path();
  AreaMark mark = MarkArea();
  ASSERT_EQ(ListMatchingNames(View(base + "/*.*")), kOk);
  EXPECT_TRUE(OneNewString(mark, TopString()));
  EXPECT_EQ(Names(TopString()), (std::set<std::string>{".", ".."}));
  EXPECT_EQ(TopString().len, 4);  // "." NUL ".." with no NUL after the last
  ReleaseArea(mark);

  ASSERT_TRUE(WriteFile(dir / "a.txt", "1"));
  ASSERT_TRUE(WriteFile(dir / "b.log", "2"));
  ASSERT_EQ(ListMatchingNames(View(base + "/*.txt")), kOk);
  EXPECT_EQ(Text(TopString()), "a.txt");
  ReleaseArea(mark);
  EXPECT_EQ(ListMatchingNames(View(base + "/*.none")), kErrFileNotFound);
  EXPECT_EQ(ListMatchingNames(View(base + "/missing/*.*")), kErrFileNotFound);
  EXPECT_EQ(ListMatchingNames(ErrorDesc(kErrOutOfMemory)), kErrFileNotFound);
  EXPECT_EQ(ListMatchingNames(View(base + std::string("/a.txt\0x", 8))), kErrFileNotFound);
  EXPECT_EQ(MarkArea(), mark);
}

TEST_F(FileQueryTest, ListsThatDoNotFitAreRefusedNotCut) {
  TempDir dir;
  // 300 names of 250 bytes: 75,000 bytes, more than one string can hold.
  for (int i = 0; i < 300; ++i) {
    std::string name = std::to_string(1000 + i) + std::string(246, 'n');
    ASSERT_TRUE(WriteFile(dir / name, ""));
  }
  const AreaMark mark = MarkArea();
  EXPECT_EQ(ListMatchingNames(View(dir / "*.*")), kErrStringTooLong);
  EXPECT_EQ(MarkArea(), mark);
  // Most of the area taken: the list no longer fits in what is left.
  while (FreeBytes() >= 60004) ASSERT_EQ(ReserveTop(60000, kNoFill), kOk);
  ASSERT_EQ(ReserveTop(static_cast<std::uint16_t>(FreeBytes() - 20000), kNoFill), kOk);
  const AreaMark full = MarkArea();
  TempDir small;
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(WriteFile(small / (std::to_string(i) + std::string(200, 's')), ""));
  }
  EXPECT_EQ(ListMatchingNames(View(small / "*.*")), kErrOutOfMemory);
  EXPECT_EQ(MarkArea(), full);
}

// Before start-up and after the area's release there is nowhere to put a list.
TEST_F(FileQueryTest, WithoutAStringAreaListingFailsWithOutOfMemory) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "a.txt", "1"));
  ASSERT_EQ(ReleaseStringArea(), kOk);
  EXPECT_EQ(ListMatchingNames(View(dir / "*.*")), kErrOutOfMemory);
  EXPECT_EQ(ListMatchingNames(View(dir / "a.txt")), kErrOutOfMemory);
}

TEST_F(FileQueryTest, EntryQueries) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "empty", ""));
  ASSERT_TRUE(WriteFile(dir / "three", "abc"));
  EXPECT_EQ(EntrySize(View(dir / "empty")), 0u);
  EXPECT_EQ(EntrySize(View(dir / "three")), 3u);
  EXPECT_EQ(EntrySize(View(dir / "missing")), 0u);
  EXPECT_EQ(EntryAttributes(View(dir / "three")), kAttrArchive);
  EXPECT_EQ(EntryAttributes(View(dir.path())), kAttrFolder);
  EXPECT_EQ(EntryAttributes(View(dir / "missing")), kErrFileNotFound);
  DirectoryEntry e{};
  e.size = 77;
  EXPECT_EQ(QueryEntry(View(dir / "missing"), &e), kErrFileNotFound);
  EXPECT_EQ(e.size, 77u);  // untouched
  EXPECT_EQ(MarkArea(), 0);
}

TEST_F(FileQueryTest, StampsBecomeLocalDatesAndTimes) {
  ScopedTimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");
  struct Case {
    std::int64_t stamp;
    std::uint32_t date, time;
  } cases[] = {
      {LocalStamp(2017, 3, 15, 10, 22, 33), 20170315, 37353000},
      {LocalStamp(2017, 7, 1, 23, 59, 59), 20170701, 86399000},  // summer time
      {0, 19700101, 3600000},
      {-1, 0, 0},
      {2147483648LL, 20380119, 4 * 3600000 + 14 * 60000 + 8000},  // after the 32-bit end
      {4354819200LL, 21080101, 3600000},
      {10000000000000LL, 0, 0},  // past the year 9999: no date number holds it
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StampDate(c.stamp), c.date) << c.stamp;
    EXPECT_EQ(StampTime(c.stamp), c.time) << c.stamp;
  }
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "f", "x"));
  ASSERT_TRUE(SetModified(dir / "f", LocalStamp(2040, 6, 1, 12, 0, 5)));
  EXPECT_EQ(EntryStamp(View(dir / "f"), kStampModified, kFormDate), 20400601u);
  EXPECT_EQ(EntryStamp(View(dir / "f"), kStampModified, kFormTimeOfDay), 43205000u);
  EXPECT_EQ(EntryStamp(View(dir / "missing"), kStampModified, kFormDate), 0u);
}

TEST_F(FileQueryTest, RemoveFileAndMakeFolder) {
  TempDir dir;
  EXPECT_EQ(MakeFolder(View(dir / "new")), kOk);
  EXPECT_EQ(MakeFolder(View(dir / "new")), kFailure);  // exists
  EXPECT_EQ(MakeFolder(View(dir / "no/parent")), kFailure);
  EXPECT_EQ(RemoveFile(View(dir / "new")), kFailure);  // never a folder
  ASSERT_TRUE(WriteFile(dir / "gone", "x"));
  EXPECT_EQ(RemoveFile(View(dir / "gone")), kOk);
  EXPECT_EQ(RemoveFile(View(dir / "gone")), kFailure);
  EXPECT_EQ(MarkArea(), 0);
}

}  // namespace
