#include "runtime/text/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"

namespace {

using StringsTest = RuntimeTest;

std::vector<Builder> Builders() {
  return {
      {"Copy", [] { return Copy(Lit("abc")); }, "abc"},
      {"Concat", [] { return Concat(Lit("ab"), Lit("cd")); }, "abcd"},
      {"Repeat", [] { return Repeat(Lit("ab"), 3); }, "ababab"},
      {"Repeat0", [] { return Repeat(Lit("ab"), 0); }, ""},
      {"OneChar", [] { return OneChar('q'); }, "q"},
      {"OneChar255", [] { return OneChar('\xff'); }, "\xff"},
      {"Overwrite", [] { return Overwrite(Lit("abcdef"), 2, Lit("XY")); }, "abXYef"},
      {"OverwriteEnd", [] { return Overwrite(Lit("abcdef"), -1, Lit("XY")); }, "abcdeX"},
      {"OverwriteNeg", [] { return Overwrite(Lit("abc"), -9, Lit("X")); }, "Xbc"},
      {"ReplaceAll", [] { return ReplaceAll(Lit("a:b:c"), Lit(":"), Lit(""), 0); }, "abc"},
      {"ReplaceQuoted", [] { return ReplaceAll(Lit("x'a:b'x:"), Lit(":"), Lit("-"), 0); },
       "x'a:b'x-"},
      {"ReplaceLonger", [] { return ReplaceAll(Lit("\"  \""), Lit("\"  \""), Lit("\" \""), 1); },
       "\" \""},
      {"ReplaceQuoteChar", [] { return ReplaceAll(Lit("a'b'c"), Lit("'"), Lit("\""), 0); },
       "a\"b\"c"},
      {"ReplaceEmpty", [] { return ReplaceAll(Lit("abc"), Lit(""), Lit("x"), 0); }, "abc"},
      {"Wrap", [] { return Wrap(Lit("x"), '('); }, "(x)"},
      {"WrapPercent", [] { return Wrap(Lit("x"), '%'); }, "%x%"},
      {"Quote", [] { return Quote(Lit("abc"), '"'); }, "\"abc\""},
      {"QuoteSwitch", [] { return Quote(Lit("it's"), '\''); }, "\"it's\""},
      {"QuoteBracket", [] { return Quote(Lit("x"), '('); }, "(x)"},
      {"KeepChars", [] { return KeepChars(Lit("a1b2c3"), Lit("123")); }, "123"},
      {"Translate", [] { return Translate(Lit("a-b_c"), "-_", "  "); }, "a b c"},
      {"TranslateShort", [] { return Translate(Lit("a-b_c"), "-_", "+"); }, "a+b_c"},
      {"Upper", [] { return ChangeCase(Lit("abZ\xe9"), kToUpper); }, "ABZ\xe9"},
      {"Lower", [] { return ChangeCase(Lit("ABz\xc9"), kToLower); }, "abz\xc9"},
      {"NormalisePlain", [] { return NormaliseToken(Lit("abc")); }, "ABC"},
      {"NormaliseQuoted", [] { return NormaliseToken(Lit("'abc'")); }, "abc"},
      {"NormaliseBlank", [] { return NormaliseToken(Lit(" abc")); }, "abc"},
  };
}

TEST_F(StringsTest, EveryBuilderLeavesExactlyOneNewString) {
  ExpectEachBuildsOneString(Builders());
}

TEST_F(StringsTest, EveryBuilderFailsCleanlyOnAFullArea) {
  ExpectEachFailsOnFullArea(Builders());
  const AreaMark mark = MarkArea();
  EXPECT_STREQ(ToCString(Lit("abc")), "");
  EXPECT_EQ(MarkArea(), mark);
  // A failed replace-all is recorded.
  EXPECT_EQ(LastError(), (std::uint32_t{kSubStrConcat} << 16) | kErrMemTestError);
}

TEST_F(StringsTest, ErrorsPassThroughAndOversizeIsRefused) {
  const StrDesc err = ErrorDesc(kErrFileNotFound);
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(FailedWith(mark, Concat(Lit("a"), err), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, Copy(err), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, Substring(err, 0, 1), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, Quote(Lit("a'b\"c"), '\''), kErrBadInputData));
  EXPECT_TRUE(FailedWith(mark, Repeat(Lit("abc"), 30000), kErrStringTooLong));
  const std::string big(40000, 'x');
  EXPECT_TRUE(FailedWith(mark, ReplaceAll(View(big), Lit("x"), Lit("yy"), 1), kErrStringTooLong));
  EXPECT_STREQ(ToCString(err), "");
  EXPECT_EQ(MarkArea(), mark);
}

TEST_F(StringsTest, ToCStringAddsTheTerminator) {
  const AreaMark mark = MarkArea();
  const char* c = ToCString(Lit("abc"));
  EXPECT_STREQ(c, "abc");
  EXPECT_EQ(MarkArea(), mark + 1);
  EXPECT_EQ(TopString().len, 4);
}

TEST(Views, SubstringTrimUnquote) {
  struct Sub {
    const char* text;
    std::int16_t start;
    std::uint16_t count;
    const char* result;
  } subs[] = {{"abcdef", -2, 1, "ef"}, {"abc", 1, kToEnd, "bc"}, {"abc", 5, 2, ""},
              {"abc", -9, 1, "abc"},   {"abc", 0, 2, "ab"},      {"abc", 3, 1, ""}};
  for (const Sub& s : subs) {
    EXPECT_EQ(Text(Substring(DescFromCString(s.text), s.start, s.count)), s.result)
        << s.text << " " << s.start;
  }
  EXPECT_EQ(Text(Trim(Lit("  a b\t"), kTrimBoth)), "a b");
  EXPECT_EQ(Text(Trim(Lit("  a b\t"), kTrimLeading)), "a b\t");
  EXPECT_EQ(Text(Trim(Lit("  a b\t"), kTrimTrailing)), "  a b");
  EXPECT_EQ(Text(Trim(Lit(" \t "), kTrimBoth)), "");
  EXPECT_EQ(Text(TrimSet(Lit("--a-b--"), kTrimBoth, Lit("-"))), "a-b");
  EXPECT_EQ(Text(Unquote(Lit("'x'"))), "x");
  EXPECT_EQ(Text(Unquote(Lit("'x\""))), "'x\"");
  EXPECT_EQ(Text(Unquote(Lit("'"))), "'");
  EXPECT_EQ(Text(Unquote(Lit("\"\""))), "");
}

TEST(Compare, CompareTextOverAnyLength) {
  EXPECT_EQ(CompareText(Lit("ab"), Lit("abc")), kLess);
  EXPECT_EQ(CompareText(Lit("b"), Lit("abc")), kGreater);
  EXPECT_EQ(CompareText(Lit("abc"), Lit("abc")), kEqual);
  EXPECT_EQ(CompareText(Lit("\xe9"), Lit("z")), kGreater);  // unsigned bytes
  EXPECT_EQ(CompareText(Lit(""), Lit("")), kEqual);
  // Texts of 32,768 characters and more compare like short ones.
  std::string a(40000, 'm'), b(40000, 'm');
  b[39999] = 'n';
  EXPECT_EQ(CompareText(View(a), View(b)), kLess);
  EXPECT_EQ(CompareText(View(b), View(a)), kGreater);
  std::string longest(65535, 'm');
  EXPECT_EQ(CompareText(View(longest), View(a)), kGreater);
  EXPECT_EQ(CompareText(View(a), View(a)), kEqual);
  EXPECT_EQ(CompareText(ErrorDesc(kErrOutOfMemory), Lit("a")), kErrOutOfMemory);
  EXPECT_EQ(CompareBytes(nullptr, "a", 1), kErrStrOutBound);
}

TEST(Compare, TruthWordsAndNumbers) {
  struct Case {
    const char* text;
    std::int16_t value;
    bool truth;
  } cases[] = {{"S", 1, true},           {"y", 1, true},      {"On", 1, true},
               {"yes", 1, true},         {"si", 1, true},     {"no", 0, false},
               {"12abc", 12, false},     {"", 0, false},      {"abc", 0, false},
               {"  -42", -42, false},    {"+7", 7, false},    {"65537", 1, false},
               {"32768", -32768, false}, {"\t\n9", 9, false}, {"YESS", 0, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(ToInt(DescFromCString(c.text)), c.value) << c.text;
    EXPECT_EQ(IsTrue(DescFromCString(c.text)), c.truth) << c.text;
  }
}

TEST(Compare, BracketsAndPartners) {
  EXPECT_EQ(ClosingPartner('['), ']');
  EXPECT_EQ(ClosingPartner('<'), '>');
  EXPECT_EQ(ClosingPartner(']'), '(');
  EXPECT_EQ(ClosingPartner('>'), '\0');
  EXPECT_EQ(ClosingPartner('%'), '%');
  EXPECT_EQ(Text(Bracketed(Lit("f(a(b)c)d"), '(', kPlain)), "a(b)c");
  EXPECT_EQ(Text(Bracketed(Lit("%NAME% x"), '%', kPlain)), "NAME");
  EXPECT_EQ(Text(Bracketed(Lit("f(a(b"), '(', kPlain)), "");
  EXPECT_EQ(Text(Bracketed(Lit("f(a(b)"), '(', kPlain)), "");
  EXPECT_EQ(Text(Bracketed(Lit("none"), '(', kPlain)), "");
  EXPECT_EQ(NonZeroOr(0, 5), 5);
  EXPECT_EQ(Maximum(-3, 2), 2);
  EXPECT_EQ(Minimum(-3, 2), -3);
  EXPECT_EQ(Text(NonEmptyOr(Lit(""), Lit("b"))), "b");
}

TEST(Writing, WriteAtPosAndAppendTo) {
  char buffer[16] = "abcdef";
  EXPECT_EQ(WriteAtPos(StrDesc{buffer, 6}, -2, Lit("XYZ")), kOk);
  EXPECT_STREQ(buffer, "abcdXY");
  char out[16] = "ab";
  const StrDesc joined = AppendTo(Lit("cd"), out, 2);
  EXPECT_EQ(Text(joined), "abcd");
  EXPECT_EQ(joined.ptr, out);
  EXPECT_EQ(DescStatus(AppendTo(ErrorDesc(kErrOutOfMemory), out, 2)), kErrOutOfMemory);
  EXPECT_EQ(DescStatus(AppendTo(Lit("cd"), out, 65534)), kErrStringTooLong);
}

}  // namespace
