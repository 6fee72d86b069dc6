#include "runtime/text/search.h"

#include <gtest/gtest.h>

#include <string>

#include "support/runtime_fixture.h"

namespace {

TEST(Search, FindCharPlainAndAroundQuotes) {
  struct Case {
    const char* text;
    char c;
    SearchMode mode;
    std::uint16_t at;
  } cases[] = {
      {"x='a,b',c", ',', kQuoteAware, 7},
      {"x='a,b',c", ',', kPlain, 4},
      {"'abc", 'b', kQuoteAware, kNotFound},  // an unclosed quote hides the rest
      {"'abc", 'b', kPlain, 2},
      {"a\"b'c\"d'e'f", 'e', kQuoteAware, kNotFound},  // ' inside "..." is not a quote
      {"a\"b'c\"d'e'f", 'f', kQuoteAware, 10},
      {"it's", '\'', kQuoteAware, kNotFound},  // quotes are never found
      {"", 'a', kPlain, kNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindChar(DescFromCString(c.text), c.c, c.mode), c.at) << c.text << " " << c.c;
  }
  EXPECT_EQ(FindCharFrom(Lit("a,b,c"), 2, ',', kPlain), 3);
  EXPECT_EQ(FindCharFrom(Lit("a,b,c"), 5, 'c', kPlain), kNotFound);
  EXPECT_EQ(FindChar(ErrorDesc(kErrOutOfMemory), 'a', kPlain), kNotFound);
}

TEST(Search, AnyOfLastAndText) {
  EXPECT_EQ(FindAnyOf(Lit("path/to\\x"), Lit("\\/"), kPlain), 4);
  EXPECT_EQ(FindAnyOf(Lit("path/to\\x"), Lit("\\/"), kPlain, 5), 7);
  EXPECT_EQ(FindAnyOf(Lit("abc"), ErrorDesc(kErrOutOfMemory), kPlain), kNotFound);
  EXPECT_EQ(FindLastChar(Lit("a.b.c"), '.', kPlain), 3);
  EXPECT_EQ(FindLastChar(Lit("a.b'.'c"), '.', kQuoteAware), 1);
  EXPECT_EQ(FindLastAnyOf(Lit("a/b\\c"), Lit("/\\"), kPlain), 3);
  EXPECT_EQ(FindText(Lit("abcabc"), Lit("ca"), kPlain), 2);
  EXPECT_EQ(FindText(Lit("ab'ca'bca"), Lit("ca"), kQuoteAware), 7);
  EXPECT_EQ(FindText(Lit("ab"), Lit("abc"), kPlain), kNotFound);
  EXPECT_EQ(FindText(Lit("aaab"), Lit("aab"), kPlain), 1);
  EXPECT_EQ(CountText(Lit("aaaa"), Lit("aa"), kPlain), 2);  // non-overlapping
  EXPECT_EQ(CountText(Lit("a:b:'c:d'"), Lit(":"), kQuoteAware), 2);
}

TEST(Search, FindRecordAndZeroSlot) {
  const std::uint32_t slots[] = {7, 9, 0, 9};
  const std::uint32_t key = 9;
  EXPECT_EQ(FindRecord(slots, 4, &key, 4), 1);
  EXPECT_EQ(FindRecord(slots, 0, &key, 4), kNotFound);
  EXPECT_EQ(FindZeroSlot(slots, 4), 2);
  EXPECT_EQ(FindZeroSlot(slots, 2), kNotFound);
}

}  // namespace
