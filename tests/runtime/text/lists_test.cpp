#include "runtime/text/lists.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"

namespace {

using ListTest = RuntimeTest;

TEST(Lists, CountAndItems) {
  struct Case {
    const char* list;
    std::uint16_t count;
  } counts[] = {{"", 0}, {"a", 1}, {"a,", 2}, {",", 2}, {"a,b", 2}, {"a,b,", 3}, {"'a,b',c", 2}};
  for (const Case& c : counts)
    EXPECT_EQ(ItemCount(DescFromCString(c.list), ','), c.count) << c.list;
  EXPECT_EQ(ItemCount(ErrorDesc(kErrOutOfMemory), ','), 0);
  const std::string commas(65535, ',');  // 65,536 items: the count stops at its top
  EXPECT_EQ(ItemCount(View(commas), ','), 65535);

  EXPECT_EQ(Text(Item(Lit("a,b"), ',', 3)), "");
  EXPECT_EQ(Text(Item(Lit("a,b"), ',', 0)), "");
  EXPECT_EQ(Text(Item(Lit("a,b"), ',', 2)), "b");
  EXPECT_EQ(Text(Item(Lit("'x,y',z"), ',', 1)), "'x,y'");
  EXPECT_EQ(Text(Item(Lit("a,,c"), ',', 2)), "");
  const StrDesc nul_list = Lit("a'b\0c'd");  // NUL splits even inside quotes
  EXPECT_EQ(ItemCount(nul_list, kNul), 2);
  EXPECT_EQ(Text(Item(nul_list, kNul, 2)), "c'd");
}

TEST(Lists, ItemIndexIsBytewise) {
  EXPECT_EQ(ItemIndex(Lit("EN,ES,FR"), Lit("ES"), ','), 2);
  EXPECT_EQ(ItemIndex(Lit("EN,ES"), Lit("es"), ','), 0);
  EXPECT_EQ(ItemIndex(Lit("EN,ES"), Lit("E"), ','), 0);
  EXPECT_EQ(ItemIndex(Lit("'a,b',c"), Lit("'a,b'"), ','), 1);
  EXPECT_EQ(ItemIndex(Lit("ab"), Lit("abc"), ','), 0);
  EXPECT_EQ(ItemIndex(Lit("a,b"), ErrorDesc(kErrOutOfMemory), ','), 0);
}

TEST_F(ListTest, SetItemBuildsOneNewList) {
  struct Case {
    const char* list;
    const char* text;
    std::int16_t n;
    const char* result;
  } cases[] = {
      {"a,b,c", "X", 2, "a,X,c"},     {"a", "p", 3, "a,,p"},
      {"a,b", "p", 0, "a,b,p"},       {"", "p", 0, "p"},
      {"a,b,c", "", -1, "b,c"},       {"a,b,c", "", -2, "a,c"},
      {"a,b,c", "", -3, "a,b"},       {"a", "", -1, ""},
      {"a,b,c", "", -4, "a,b,c"},     {"a,", "p", 0, "a,,p"},
      {"'x,y',z", "q", 2, "'x,y',q"},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    ASSERT_EQ(SetItem(DescFromCString(c.list), DescFromCString(c.text), ',', c.n), kOk);
    EXPECT_TRUE(OneNewString(mark, TopString()));
    EXPECT_EQ(Text(TopString()), c.result) << c.list << " " << c.n;
    ReleaseArea(mark);
  }
  const AreaMark mark = MarkArea();
  EXPECT_EQ(SetItem(Lit("a"), Lit("x"), ',', -32768), kOk);  // delete far beyond the count
  EXPECT_EQ(Text(TopString()), "a");
  ReleaseArea(mark);
  const std::string big(40000, 'b');
  EXPECT_EQ(SetItem(View(big), View(big), ',', 0), kErrStringTooLong);
  EXPECT_EQ(MarkArea(), mark);
}

TEST_F(ListTest, JoinAndLongestItem) {
  struct Case {
    const char* first;
    const char* second;
    const char* result;
  } cases[] = {{"", "b", "b"}, {"a", "", "a"}, {"a", "b", "a,b"}, {"", "", ""}};
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc joined = Join(DescFromCString(c.first), Lit(","), DescFromCString(c.second));
    EXPECT_TRUE(OneNewString(mark, joined));
    EXPECT_EQ(Text(joined), c.result);
    ReleaseArea(mark);
  }
  EXPECT_EQ(LongestItem(Lit("ab,'cdef',g"), ',', 0), 4);
  EXPECT_EQ(LongestItem(Lit("ab,'cdef',g"), ',', 1), 1);
  EXPECT_EQ(LongestItem(Lit(""), ',', 0), 0);
  EXPECT_EQ(LongestItem(Lit(""), ',', 1), 0);
}

TEST(Lists, CursorWalksEveryItemOnce) {
  ListCursor cursor{Lit("one,'t,wo',,three"), ','};
  EXPECT_EQ(Text(NextItem(&cursor)), "one");
  EXPECT_EQ(Text(NextItem(&cursor)), "'t,wo'");
  EXPECT_EQ(Text(NextItem(&cursor)), "");
  EXPECT_EQ(Text(NextItem(&cursor)), "three");
  EXPECT_EQ(cursor.rest.len, 0);
}

}  // namespace
