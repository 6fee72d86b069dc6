#include "runtime/text/masks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/strings.h"
#include "support/runtime_fixture.h"

namespace {

using MaskTest = RuntimeTest;

const std::string kNameMask(38, '\\');

// The number of UTF-8 characters of a text (an invalid byte counts as one).
std::size_t Characters(StrDesc s) {
  std::size_t n = 0;
  for (std::uint16_t i = 0; i < s.len; i = static_cast<std::uint16_t>(i + Utf8CharLength(s, i))) {
    ++n;
  }
  return n;
}

std::vector<Builder> Builders() {
  return {
      {"SizeField", [] { return ApplyMask(Lit("###,###"), Lit("1234")); }, "  1,234"},
      {"NameField", [] { return ApplyMask(View(kNameMask), Lit("readme.txt")); },
       "readme.txt" + std::string(28, ' ')},
      {"NoPlaceholder", [] { return ApplyMask(Lit("Total:"), Lit("12")); }, "Total:"},
      {"TextIntoDigits", [] { return ApplyMask(Lit("###,###"), Lit("abc")); }, "###,###"},
      {"RoundedNumber", [] { return FormatNumberMask(Lit("#,##0.00"), Lit("1234.567")); },
       "1,234.57"},
      {"WiderNumber", [] { return FormatNumberMask(Lit("###,###"), Lit("12345678")); }, "12345678"},
      {"TextMask", [] { return FormatTextMask(Lit("(\\ \\)"), Lit("abcd"), kKindBackslash); },
       "(abc)"},
      {"FitLeft", [] { return FitField('A', Lit("abc"), 5); }, "abc  "},
      {"FitNumber", [] { return FitField('2', Lit("3.14159"), 4); }, "3.14"},
      {"FitBlank", [] { return FitField('V', Lit("abc"), 2); }, "  "},
      {"TypeMask", [] { return TypeMask('2', 6); }, "###.##"},
      {"TypeMaskUnknown", [] { return TypeMask('X', 6); }, ""},
  };
}

TEST_F(MaskTest, EveryBuilderLeavesExactlyOneNewString) { ExpectEachBuildsOneString(Builders()); }

TEST_F(MaskTest, EveryBuilderFailsCleanlyOnAFullArea) { ExpectEachFailsOnFullArea(Builders()); }

TEST_F(MaskTest, ErrorsPassThrough) {
  const AreaMark mark = MarkArea();
  const StrDesc err = ErrorDesc(kErrFileNotFound);
  EXPECT_TRUE(FailedWith(mark, ApplyMask(Lit("###"), err), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, ApplyMask(err, Lit("1")), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, FormatNumberMask(Lit("###"), err), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, FormatTextMask(Lit("\\\\"), err, kKindBackslash), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, FitField('A', err, 3), kErrFileNotFound));
}

TEST_F(MaskTest, SizeFieldOfSevenPlaces) {
  struct Case {
    std::int64_t size;
    const char* field;
  } cases[] = {
      {0, "      0"},
      {12, "     12"},
      {1234, "  1,234"},
      {123456, "123,456"},
      {999999, "999,999"},
      {1000000, "1000000"},
      {1234567, "1234567"},
      {9999999, "9999999"},
      {-12, "    -12"},
      {-123456, "-123456"},  // the sign takes the separator's place
      // More digits than places: the number comes back whole, never cut.
      {10000000, "10000000"},
      {4294967295, "4294967295"},
  };
  for (const Case& c : cases) {
    const AreaMark outer = MarkArea();
    const StrDesc size = WholeToText(c.size);
    const AreaMark mark = MarkArea();
    const StrDesc r = ApplyMask(Lit("###,###"), size);
    EXPECT_TRUE(OneNewString(mark, r)) << c.size;
    EXPECT_EQ(Text(r), c.field) << c.size;
    ReleaseArea(outer);
  }
}

TEST_F(MaskTest, NumberMasksTable) {
  struct Case {
    const char* mask;
    const char* number;
    const char* result;
  } cases[] = {
      {"#,##0.00", "1234", "1,234.00"},
      {"#,##0.00", "12.5", "   12.50"},
      {"#,##0.00", "0.125", "    0.13"},
      {"#,##0.00", "-0.004", "    0.00"},
      {"#,##0.00", "", "    0.00"},
      {"###.##", "", "      "},
      {"#.#", ".5", "0.5"},
      {"##.#", "-.5", "-0.5"},
      {"#.#", "-.5", "-0.5"},      // the sign finds no place and goes in front
      {"##.##", "1234", " 1234"},  // the decimals give their places up
      {"##.##", "123.456", "123.5"},
      {"#.##", "9.996", "10.0"},  // rounding carries into a new place
      {"###", "2.5", "  3"},
      {"###", "-2.5", " -3"},
      {"0000", "42", "0042"},
      {"#,##0", "", "    0"},
      {"0,000", "5", "0,005"},
      {"$ ###.##", "5", "$   5.00"},
      {"### units", " 12 ", " 12 units"},
      {"'#' ###", "12", "'#'  12"},  // a quoted "#" is a literal
      {"###,###", "15D3", " 15,000"},
      {"###,###", "1.5D3", "  1,500"},
      {"###,###", "12.", "     12"},     // a trailing point is dropped
      {"#,,###", "1234567", "1234567"},  // two separators side by side
      {"###", "123456789012345678901234567890.5", "123456789012345678901234567891"},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = FormatNumberMask(DescFromCString(c.mask), DescFromCString(c.number));
    EXPECT_TRUE(OneNewString(mark, r)) << c.mask << " " << c.number;
    EXPECT_EQ(Text(r), c.result) << c.mask << " " << c.number;
    ReleaseArea(mark);
  }
}

TEST_F(MaskTest, ApplyMaskChoosesThePath) {
  struct Case {
    const char* mask;
    const char* text;
    MaskMode mode;
    const char* result;
  } cases[] = {
      {"###,###", "999999", kMaskDecide, "999,999"},
      {"###,###", " 42 ", kMaskDecide, "     42"},
      {"###,###", "", kMaskDecide, "       "},
      {"###,###", "12a", kMaskDecide, "###,###"},  // not a number, no text positions
      {"###", "12", kMaskText, "###"},
      {"###", "abc", kMaskNumber, "   "},
      {"#\\\\\\", "abc", kMaskDecide, "#abc"},       // text path: "#" is a literal
      {"\\\\ ###", "12345", kMaskDecide, "12 ###"},  // first placeholder "\"
      {"'#'\\\\", "ab", kMaskDecide, "'#'ab"},
      {"Total:", "12", kMaskNumber, "Total:"},
      {"??:??", "abcd", kMaskDecide, "ab:d "},  // "?" by position
      {"#??", "abcd", kMaskDecide, "#ab"},      // "?" in sequence after "#"
      {"0??", "abcd", kMaskDecide, "0bc"},      // "?" by position after "0"
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = ApplyMask(DescFromCString(c.mask), DescFromCString(c.text), c.mode);
    EXPECT_TRUE(OneNewString(mark, r)) << c.mask << " " << c.text;
    EXPECT_EQ(Text(r), c.result) << c.mask << " " << c.text;
    ReleaseArea(mark);
  }
}

TEST_F(MaskTest, NameFieldCountsCharacters) {
  struct Case {
    std::string name;
    std::string field;
  } cases[] = {
      {std::string(40, 'n'), std::string(38, 'n')},
      {"abc", "abc" + std::string(35, ' ')},
      {std::string(38, 'n'), std::string(38, 'n')},
      {"R\xc3\xa9sum\xc3\xa9.txt", "R\xc3\xa9sum\xc3\xa9.txt" + std::string(28, ' ')},
      // A two-byte character in 38th place is kept whole, the 39th left out.
      {std::string(37, 'a') + "\xc3\xbc" + "x", std::string(37, 'a') + "\xc3\xbc"},
      // 38 four-byte characters and more.
      {[] {
         std::string s;
         for (int i = 0; i < 40; ++i) s += "\xf0\x9f\x98\x80";
         return s;
       }(),
       [] {
         std::string s;
         for (int i = 0; i < 38; ++i) s += "\xf0\x9f\x98\x80";
         return s;
       }()},
      // Bytes outside valid sequences count one each; a cut sequence too.
      {"\xff\xfe" + std::string(34, 'b') + "\xe2\x82",
       "\xff\xfe" + std::string(34, 'b') + "\xe2\x82"},
      {"x\xc3", "x\xc3" + std::string(36, ' ')},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = ApplyMask(View(kNameMask), View(c.name));
    EXPECT_TRUE(OneNewString(mark, r)) << c.name;
    EXPECT_EQ(Text(r), c.field) << c.name;
    EXPECT_EQ(Characters(r), 38u) << c.name;
    ReleaseArea(mark);
  }
}

TEST_F(MaskTest, TextMaskRunsAndPositions) {
  struct Case {
    const char* mask;
    const char* text;
    MaskKind kind;
    const char* result;
  } cases[] = {
      {"\\   \\", "abcdefg", kKindBackslash, "abcde"},
      {"\\ \\ \\", "abcdefg", kKindBackslash, "abc d"},  // a run ends at its backslash
      {"[\\ x\\]", "abc", kKindBackslash, "[a xb]"},     // not all blanks: no run
      {"'\\ \\'", "ab", kKindBackslash, "'a b'"},        // no run inside quotes
      {"\\ ", "ab", kKindBackslash, "a "},
      {"??:??", "abcd", kKindBackslash, "ab:cd"},
      {"??:??", "abcd", kKindQuestion, "ab:d "},
      {"?\xc3\xa9?",
       "\xc3\xbc"
       "ab",
       kKindQuestion,
       "\xc3\xbc\xc3\xa9"
       "b"},
      {"\\\\", "", kKindBackslash, "  "},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = FormatTextMask(DescFromCString(c.mask), DescFromCString(c.text), c.kind);
    EXPECT_TRUE(OneNewString(mark, r)) << c.mask;
    EXPECT_EQ(Text(r), c.result) << c.mask << " " << c.text;
    ReleaseArea(mark);
  }
  // 40,000 positions, 30,000 of them taking two-byte characters, pass the
  // longest string.
  const std::string mask(40000, '\\');
  std::string text;
  for (int i = 0; i < 30000; ++i) text += "\xc3\xa9";
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(
      FailedWith(mark, FormatTextMask(View(mask), View(text), kKindBackslash), kErrStringTooLong));
}

TEST_F(MaskTest, FitFieldTable) {
  struct Case {
    char type;
    const char* value;
    std::uint16_t width;
    const char* field;
  } cases[] = {
      {'A', "abc", 5, "abc  "},       {'B', "abcdef", 3, "abc"},  {'A', "", 0, ""},
      {'P', "a\xc3\xa9", 2, "a "},  // a cut never splits a character
      {'D', "20170315", 6, "170315"}, {'F', "2017", 6, "2017  "}, {'D', "20170315", 8, "20170315"},
      {'N', "42", 5, "   42"},        {'L', " 42 ", 3, " 42"},    {'1', "3.14159", 3, "3.1"},
      {'2', "3.14159", 4, "3.14"},    {'N', "9.96", 3, " 10"},    {'N', "123.4", 3, "123"},
      {'N', "-1.25", 4, "-1.3"},      {'V', "abc", 2, "  "},      {'Z', "abc", 3, "   "},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = FitField(c.type, DescFromCString(c.value), c.width);
    EXPECT_TRUE(OneNewString(mark, r)) << c.type << " " << c.value;
    EXPECT_EQ(Text(r), c.field) << c.type << " " << c.value;
    ReleaseArea(mark);
  }
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(FailedWith(mark, FitField('N', Lit("123456"), 3), kErrDataOutBound));
  EXPECT_TRUE(FailedWith(mark, FitField('N', Lit("999.6"), 3), kErrDataOutBound));
  EXPECT_TRUE(FailedWith(mark, FitField('N', Lit("5"), 0), kErrDataOutBound));
}

TEST_F(MaskTest, TypeMaskTable) {
  struct Case {
    char type;
    std::uint16_t width;
    const char* mask;
  } cases[] = {
      {'A', 3, "\\\\\\"}, {'L', 2, "\\\\"}, {'D', 1, "\\"},           {'N', 4, "####"},
      {'2', 6, "###.##"}, {'2', 3, "###"},  {'9', 11, "#.#########"}, {'1', 0, ""},
      {'X', 4, ""},       {'\0', 4, ""},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = TypeMask(c.type, c.width);
    EXPECT_TRUE(OneNewString(mark, r)) << c.type << " " << c.width;
    EXPECT_EQ(Text(r), c.mask) << c.type << " " << c.width;
    ReleaseArea(mark);
  }
  // A type's mask takes its own numbers.
  EXPECT_EQ(Text(ApplyMask(TypeMask('2', 6), Lit("3.14159"))), "  3.14");
}

TEST(MaskUtf8, CharacterLengths) {
  struct Case {
    const char* text;
    std::uint16_t length;
  } cases[] = {
      {"a", 1},
      {"\xc3\xa9", 2},
      {"\xe2\x82\xac", 3},
      {"\xf0\x9f\x98\x80", 4},
      {"\xc3", 1},  // cut short
      {"\xc3"
       "a",
       1},                      // no continuation
      {"\x80", 1},              // a lone continuation byte
      {"\xc0\xaf", 1},          // overlong
      {"\xe0\x80\xaf", 1},      // overlong
      {"\xed\xa0\x80", 1},      // a surrogate
      {"\xf4\x90\x80\x80", 1},  // past U+10FFFF
      {"\xff", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8CharLength(DescFromCString(c.text), 0), c.length) << c.text;
  }
  EXPECT_EQ(Utf8CharLength(Lit("ab"), 2), 0);
  EXPECT_EQ(Utf8CharLength(ErrorDesc(kErrOutOfMemory), 0), 0);
  EXPECT_EQ(Utf8CharLength(StrDesc{"\xc3\xa9", 1}, 0), 1);  // the view ends inside it
}

}  // namespace
