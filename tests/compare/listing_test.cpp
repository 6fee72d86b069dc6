#include "compare/listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

using ListingTest = RuntimeTest;

std::vector<std::string> Names(StrDesc list) {
  std::vector<std::string> names;
  ListCursor cursor{list, kNul};
  while (cursor.rest.len != 0) names.push_back(Text(NextItem(&cursor)));
  return names;
}

std::vector<std::string> Listed(const std::string& folder, ListOutcome* outcome = nullptr) {
  const AreaMark mark = MarkArea();
  const StrDesc list = ListFolder(View(folder), kArchiveMask, outcome);
  EXPECT_TRUE(OneNewString(mark, list));
  std::vector<std::string> names = Names(list);
  ReleaseArea(mark);
  return names;
}

TEST_F(ListingTest, NamesSortByBytesAsIfBlankPadded) {
  struct Case {
    std::vector<std::string> files;
    std::vector<std::string> listed;
  } cases[] = {
      {{"b.txt", "A.txt", "a.txt", "B.TXT"}, {"A.txt", "B.TXT", "a.txt", "b.txt"}},
      {{"abc", "ab.txt", "ab"}, {"ab", "ab.txt", "abc"}},
      {{"\xc3\xa9t\xc3\xa9", "zeta", "'quoted'"}, {"'quoted'", "zeta", "\xc3\xa9t\xc3\xa9"}},
      {{"trail", "trail ", ".hidden"}, {".hidden", "trail", "trail "}},  // names kept whole
  };
  for (const Case& c : cases) {
    TempDir dir;
    for (const std::string& f : c.files) ASSERT_TRUE(WriteFile(dir / f, "x"));
    std::vector<std::string> listed = Listed(dir.path());
    // "trail" and "trail " are equal when padded, so their order is the folder's.
    if (c.files[0] == "trail") std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, c.listed);
  }
}

TEST_F(ListingTest, OnlyEntriesWithTheArchiveBitAreListed) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "file", "x"));
  ASSERT_TRUE(WriteFile(dir / "empty", ""));
  ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(symlink("file", (dir / "link").c_str()), 0);
  ListOutcome outcome;
  FolderSnapshot snapshot;
  const AreaMark mark = MarkArea();
  const StrDesc list = ListFolder(View(dir.path()), kArchiveMask, &outcome, &snapshot);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"empty", "file", "link"}));
  EXPECT_EQ(outcome, ListOutcome::kListed);
  EXPECT_EQ(snapshot.entries.size(), 8u);  // everything read, also what the mask drops
  ASSERT_TRUE(snapshot.by_name.Contains("sub"));
  EXPECT_EQ(snapshot.entries[snapshot.by_name.Find("sub")].attributes & kAttrFolder, kAttrFolder);
  ReleaseArea(mark);
  // The folder mask lists sub-folders and "." and "..".
  const StrDesc folders = ListFolder(View(dir.path()), kAttrFolder);
  EXPECT_EQ(Names(folders), (std::vector<std::string>{".", "..", "sub"}));
  ReleaseArea(mark);
}

TEST_F(ListingTest, EmptyListsSayWhyTheyAreEmpty) {
  ListOutcome outcome;
  EXPECT_TRUE(Listed("/nonexistent-vantoro-folder", &outcome).empty());
  EXPECT_EQ(outcome, ListOutcome::kNoFolder);
  TempDir empty;
  EXPECT_TRUE(Listed(empty.path(), &outcome).empty());
  EXPECT_EQ(outcome, ListOutcome::kListed);
  TempDir many;
  for (int i = 0; i < 5000; ++i)
    ASSERT_TRUE(WriteFile(many / ("a-rather-long-file-name-" + std::to_string(i)), ""));
  EXPECT_TRUE(Listed(many.path(), &outcome).empty());
  EXPECT_EQ(outcome, ListOutcome::kTooLarge);  // never taken for an empty folder
}

TEST_F(ListingTest, SortListAndFilterByAttribute) {
  const AreaMark mark = MarkArea();
  StrDesc sorted = SortList(Lit("b,a ,c\t"), kSortTrimTrailing);
  EXPECT_TRUE(OneNewString(mark, sorted));
  EXPECT_EQ(Text(sorted), "a,b,c");
  ReleaseArea(mark);
  EXPECT_EQ(Text(SortList(Lit("b\0a"), kSortNulSeparated)), std::string("a\0b", 3));
  ReleaseArea(mark);

  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "keep", "x"));
  ASSERT_EQ(mkdir((dir / "drop").c_str(), 0755), 0);
  const StrDesc kept = FilterByAttribute(View(dir.path()), Lit("drop\0keep\0gone"), kArchiveMask);
  EXPECT_TRUE(OneNewString(mark, kept));
  EXPECT_EQ(Text(kept), "keep");
  ReleaseArea(mark);
}

}  // namespace

namespace {

TEST(PaddedCompare, OrdersAsBlankPaddedBytes) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"ab", "ab.txt", -1}, {"ab.txt", "abc", -1}, {"ab", "ab ", 0},    {"ab", "ab\t", 1},
      {"B", "a", -1},       {"\xc3\xa9", "z", 1},  {"", "", 0},         {"", " ", 0},
      {"a", "", 1},         {"ab\x01", "ab", -1},  {"same", "same", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PaddedCompare(c.a, c.b), c.order) << c.a << " | " << c.b;
    EXPECT_EQ(PaddedCompare(c.b, c.a), -c.order) << c.b << " | " << c.a;
  }
}

}  // namespace
