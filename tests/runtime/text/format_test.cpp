#include "runtime/text/format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "runtime/core/typed_lists.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"

namespace {

using FormatTest = RuntimeTest;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

std::vector<Builder> Builders() {
  return {
      {"FormatLine",
       [] {
         return FormatText(
             384, " %s%s  %s  %s %s",
             {Lit("readme.txt"), Lit("  1,234"), Lit("03-15-17"), Lit("10:22"), Lit(" >> ")});
       },
       " readme.txt  1,234  03-15-17  10:22  >> "},
      {"FormatDescFormat", [] { return FormatText(15, Lit("QV_LANG_%s.MSJ"), {Lit("EN")}); },
       "QV_LANG_EN.MSJ"},
      {"FormatNoArgs", [] { return FormatText(64, "", {}); }, ""},
      {"IntToText", [] { return IntToText(-32768); }, "-32768"},
      {"IntToTextZero", [] { return IntToText(0); }, "0"},
      {"WholeToText", [] { return WholeToText(kMax); }, "9223372036854775807"},
      {"WholeToTextMin", [] { return WholeToText(kMin); }, "-9223372036854775808"},
      {"FixedToText", [] { return FixedToText(1550, 2); }, "15.5"},
      {"FixedToTextEmpty", [] { return FixedToText(0, 2); }, ""},
      {"ScaledToText", [] { return ScaledToText(-7); }, "-7"},
      {"TextToDigits", [] { return TextToDigits(Lit("12.345"), 2).digits; }, "12345"},
      {"ExpandExponent", [] { return ExpandExponent(Lit("1.5D3")); }, "1500"},
      {"ExpandNothing", [] { return ExpandExponent(Lit(" 1.5 ")); }, " 1.5 "},
      {"RoundNumberText", [] { return RoundNumberText(Lit("9.995"), 2); }, "10"},
  };
}

TEST_F(FormatTest, EveryBuilderLeavesExactlyOneNewString) { ExpectEachBuildsOneString(Builders()); }

TEST_F(FormatTest, EveryBuilderFailsCleanlyOnAFullArea) {
  ExpectEachFailsOnFullArea(Builders());
  // The digits fail like any other text instead of ending the process.
  const AreaMark mark = MarkArea();
  const DigitText d = TextToDigits(Lit("12.5"), 2);
  EXPECT_TRUE(FailedWith(mark, d.digits, kErrOutOfMemory));
  EXPECT_EQ(d.extra, 0);
  EXPECT_EQ(TextToFixed(Lit("42")), 42);  // needs no room on the area
  EXPECT_EQ(LastError(), 0u);             // a full area is not recorded here
}

TEST_F(FormatTest, FormatTextKeepsToItsLimit) {
  const std::string sixty_four(64, 'x');
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(OneNewString(mark, FormatText(64, "%s", {View(sixty_four)})));
  ReleaseArea(mark);
  EXPECT_EQ(LastError(), 0u);
  EXPECT_TRUE(FailedWith(mark, FormatText(64, "%s!", {View(sixty_four)}), kErrStringTooLong));
  EXPECT_EQ(LastError(), (std::uint32_t{kSubFormatStrings} << 16) | kErrStringTooLong);
  // Placing two 60,000-byte texts passes every possible limit.
  const std::string big(60000, 'y');
  EXPECT_TRUE(
      FailedWith(mark, FormatText(65535, "%s%s", {View(big), View(big)}), kErrStringTooLong));
  EXPECT_TRUE(OneNewString(mark, FormatText(65535, "%s", {View(big)})));
}

TEST_F(FormatTest, FormatTextInterpretsOnlyPercentSAndPercentPercent) {
  struct Case {
    const char* format;
    std::vector<StrDesc> args;
    std::string expected;
  } cases[] = {
      {"%s Files. Continue?", {Lit("12")}, "12 Files. Continue?"},
      {"Backup(%s)", {Lit("12-08-17")}, "Backup(12-08-17)"},
      {"%s-%s-%s", {Lit("03"), Lit("15")}, "03-15-"},  // a "%s" beyond the arguments
      {"%s", {Lit("a"), Lit("b")}, "a"},               // arguments beyond the format
      {"100%%", {}, "100%"},
      {"%d %x %n %p %5s %.3s", {Lit("a")}, "%d %x %n %p %5s %.3s"},
      {"%s%", {Lit("a")}, "a%"},  // a "%" at the very end
      {"%%s", {Lit("a")}, "%s"},
      {"50% off", {}, "50% off"},
      {"%s%s", {Lit("%s"), Lit("%%")}, "%s%%"},  // arguments are never formats
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = FormatText(384, c.format, std::span<const StrDesc>(c.args));
    EXPECT_TRUE(OneNewString(mark, r)) << c.format;
    EXPECT_EQ(Text(r), c.expected) << c.format;
    ReleaseArea(mark);
  }
  // A format given as a descriptor ends at its length, NUL bytes included.
  const char bytes[] = {'%', 's', '\0', '%', 's', '%'};
  EXPECT_EQ(Text(FormatText(384, StrDesc{bytes, 5}, {Lit("a"), Lit("b")})), std::string("a\0b", 3));
  EXPECT_EQ(Text(FormatText(384, StrDesc{bytes, 1}, {Lit("a")})), "%");
}

TEST_F(FormatTest, FormatTextPassesErrorsOn) {
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(
      FailedWith(mark, FormatText(384, "%s", {ErrorDesc(kErrFileNotFound)}), kErrFileNotFound));
  EXPECT_TRUE(FailedWith(mark, FormatText(384, ErrorDesc(kErrOutOfMemory), {}), kErrOutOfMemory));
  EXPECT_TRUE(
      FailedWith(mark, FormatText(384, static_cast<const char*>(nullptr), {}), kErrBadInputData));
  EXPECT_EQ(LastError(), 0u);
}

TEST(FormatIntegers, IntToBufferWritesIntoTheBufferOnly) {
  struct Case {
    std::int16_t value;
    std::uint16_t width;
    char fill;
    const char* expected;
  } cases[] = {
      {5, 2, '0', "05"},          {123, 2, '0', "123"},     {0, 0, ' ', "0"},
      {-32768, 0, ' ', "-32768"}, {32767, 0, ' ', "32767"}, {2017, 4, '0', "2017"},
      {7, 6, '*', "*****7"},      {-5, 4, '0', "-005"},     {-5, 4, ' ', "  -5"},
  };
  for (const Case& c : cases) {
    char buffer[8] = "ZZZZZZZ";
    const StrDesc r = IntToBufferPadded(c.value, c.width, c.fill, buffer);
    EXPECT_EQ(Text(r), c.expected) << c.value;
    EXPECT_EQ(r.ptr, buffer);
    if (r.len < 7) {
      EXPECT_EQ(buffer[r.len], 'Z') << c.value;  // nothing written past the view
    }
  }
  char buffer[7];
  EXPECT_EQ(Text(IntToBuffer(-1234, buffer)), "-1234");
  // A buffer too small for the text or the width is refused, not overrun.
  char small[3] = {'a', 'b', 'c'};
  EXPECT_EQ(DescStatus(IntToBuffer(1234, std::span<char>(small, 3))), kErrDataOutBound);
  EXPECT_EQ(DescStatus(IntToBufferPadded(5, 4, '0', std::span<char>(small, 3))), kErrDataOutBound);
  EXPECT_EQ(std::string(small, 3), "abc");
  EXPECT_EQ(Text(IntToBufferPadded(15, 2, '0', std::span<char>(small, 2))), "15");
  EXPECT_EQ(DescStatus(IntToBuffer(1, std::span<char>())), kErrBadInputData);
}

TEST_F(FormatTest, FixedToTextTable) {
  struct Case {
    std::int64_t value;
    std::uint16_t d;
    const char* expected;
  } cases[] = {
      {5, 2, ".05"},
      {50, 2, ".5"},
      {-5, 2, "-.05"},
      {1550, 2, "15.5"},
      {1500, 2, "15"},
      {0, 0, "0"},
      {0, 2, ""},
      {-7, 0, "-7"},
      {100, 5, ".001"},
      {123456, 3, "123.456"},
      {kMin, 2, "-92233720368547758.08"},
      {kMax, 19, ".9223372036854775807"},
      {1, 21, ".000000000000000000001"},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    EXPECT_EQ(Text(FixedToText(c.value, c.d)), c.expected) << c.value << " " << c.d;
    ReleaseArea(mark);
  }
  const AreaMark mark = MarkArea();
  EXPECT_EQ(FixedToText(1, 65534).len, 65535);  // the point and 65,534 decimals
  ReleaseArea(mark);
  EXPECT_TRUE(FailedWith(mark, FixedToText(-1, 65534), kErrStringTooLong));
}

TEST_F(FormatTest, TextToDigitsTable) {
  struct Case {
    const char* text;
    std::uint16_t d;
    const char* digits;
    std::uint16_t extra;
  } cases[] = {
      {"12.345", 2, "12345", 1},
      {"12.345", 0, "12345", 3},
      {"  12.5  ", 3, "12500", 0},
      {"-1.5", 0, "-15", 1},
      {"15", 2, "1500", 0},
      {"", 2, "00", 0},
      {"15D3", 0, "15000", 0},
      {"1.5D3", 0, "1500", 0},  // the power of ten moves the point
      {"1.25D1", 0, "125", 1},
      {"15D-1", 0, "15", 1},
      {"5D-3", 1, "005", 2},
      {"123456789012345678901234", 2, "12345678901234567890", 0},  // 20 at most
      {"1.23456789012345678901234", 2, "12345678901234567890", 17},
      {"1", 60000, "10000000000000000000", 0},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const DigitText r = TextToDigits(DescFromCString(c.text), c.d);
    EXPECT_TRUE(OneNewString(mark, r.digits)) << c.text;
    EXPECT_EQ(Text(r.digits), c.digits) << c.text << " " << c.d;
    EXPECT_EQ(r.extra, c.extra) << c.text << " " << c.d;
    ReleaseArea(mark);
  }
  const DigitText e = TextToDigits(ErrorDesc(kErrFileNotFound), 2);
  EXPECT_EQ(DescStatus(e.digits), kErrFileNotFound);
}

TEST_F(FormatTest, TextToFixedRoundsHalfAwayFromZero) {
  struct Case {
    const char* text;
    std::uint16_t precision;
    std::int64_t value;
  } cases[] = {
      {"  42  ", 0, 42},
      {"123.7", 0, 124},
      {"-2.5", 0, -3},
      {"2.49", 0, 2},
      {"2.5", 0, 3},
      {"-0.4", 0, 0},
      {"+7", 0, 7},
      {"1.5D3", 0, 1500},
      {"25D-1", 0, 3},
      {"12abc.9", 0, 12},  // reading stops at the first stray character
      {"abc", 0, 0},
      {"1.005", 2, 101},
      {"-0.125", 2, -13},
      {"3", 2, 300},
      {"9223372036854775807", 0, kMax},
      {"99999999999999999999999", 0, kMax},  // saturates instead of wrapping
      {"-9223372036854775808", 0, kMin},
      {"-99999999999999999999999", 0, kMin},
      {"9223372036854775807.5", 0, kMax},
      {"0.50000000000000000000000001", 0, 1},  // long decimals do not overflow
      {"1", 30, kMax},
  };
  for (const Case& c : cases) {
    SetSetting(kSettingMaskDecimals, c.precision);
    const AreaMark mark = MarkArea();
    EXPECT_EQ(TextToFixed(DescFromCString(c.text)), c.value) << c.text << " " << c.precision;
    EXPECT_EQ(MarkArea(), mark);
  }
  EXPECT_EQ(TextToFixed(ErrorDesc(kErrOutOfMemory)), 0);
}

TEST(FormatNumbers, ToInt64Saturates) {
  struct Case {
    const char* text;
    std::int64_t value;
  } cases[] = {
      {"123", 123},
      {" \t\n-45x", -45},
      {"+9", 9},
      {"", 0},
      {"-", 0},
      {"abc", 0},
      {"9223372036854775807", kMax},
      {"9223372036854775808", kMax},
      {"-9223372036854775808", kMin},
      {"-9223372036854775809", kMin},
      {"000000000000000000000000000012", 12},
  };
  for (const Case& c : cases) EXPECT_EQ(ToInt64(DescFromCString(c.text)), c.value) << c.text;
  EXPECT_EQ(ToInt64(ErrorDesc(kErrOutOfMemory)), 0);
  EXPECT_EQ(ToInt64(StrDesc{"12345", 2}), 12);  // ends at the view's length
}

TEST(FormatNumbers, RescaleFixedRoundsAndSaturates) {
  struct Case {
    std::int64_t value;
    std::uint16_t from, to;
    std::int64_t result;
  } cases[] = {
      {15, 0, 2, 1500},
      {1549, 2, 0, 1500},
      {1550, 2, 0, 1600},
      {-1550, 2, 0, -1600},
      {-1549, 2, 0, -1500},
      {7, 3, 3, 7},
      {kMax, 0, 1, kMax},
      {kMin, 0, 1, kMin},
      {0, 0, 60000, 0},
      {kMax, 1, 0, kMax},  // would round up past the largest value
      {kMin, 1, 0, kMin},
      {kMax, 19, 0, kMax},  // rounds to 10^19, past the largest value
      {4999999999999999999, 19, 0, 0},
      {kMax, 20, 0, 0},
      {kMin, 400, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RescaleFixed(c.value, c.from, c.to), c.result)
        << c.value << " " << c.from << "->" << c.to;
  }
}

TEST(FormatNumbers, DivideRoundedRoundsHalfAwayFromZero) {
  struct Case {
    std::int64_t a, b, q;
  } cases[] = {
      {7, 2, 4},          {-7, 2, -4},         {7, -2, -4},
      {-7, -2, 4},        {5, 3, 2},           {4, 3, 1},
      {-4, 3, -1},        {4, -3, -1},         {1, 3, 0},
      {2, 3, 1},          {-2, 3, -1},         {60000, 120000, 1},
      {59999, 120000, 0}, {180000, 120000, 2}, {9, 0, 0},
      {kMin, -1, kMax},   {kMin, 1, kMin},     {kMax, 2, 4611686018427387904},
  };
  for (const Case& c : cases) EXPECT_EQ(DivideRounded(c.a, c.b), c.q) << c.a << " / " << c.b;
}

TEST_F(FormatTest, NumberTextsAreExact) {
  struct Case {
    const char* text;
    std::uint16_t d;
    const char* rounded;
  } cases[] = {
      {"2.5", 0, "3"},
      {"-2.5", 0, "-3"},
      {"2.49", 0, "2"},
      {"9.995", 2, "10"},
      {"0.125", 2, "0.13"},
      {"-0.004", 2, "0"},
      {".5", 1, "0.5"},
      {"007.50", 2, "7.5"},
      {"", 2, "0"},
      {"1.5D3", 0, "1500"},
      {"5D-2", 2, "0.05"},
      {"12", 3, "12"},
      {"123456789012345678901234567890.5", 0, "123456789012345678901234567891"},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = RoundNumberText(DescFromCString(c.text), c.d);
    EXPECT_TRUE(OneNewString(mark, r)) << c.text;
    EXPECT_EQ(Text(r), c.rounded) << c.text << " " << c.d;
    ReleaseArea(mark);
  }
  EXPECT_EQ(Text(ExpandExponent(Lit("-5D-2"))), "-.05");
  EXPECT_EQ(Text(ExpandExponent(Lit("15D"))), "15");
  EXPECT_EQ(Text(ExpandExponent(Lit("1D30"))), "1000000000000000000000000000000");
  const AreaMark mark = MarkArea();
  const std::string long_number(40000, '1');
  EXPECT_TRUE(FailedWith(mark, ExpandExponent(View(long_number + "D30000")), kErrStringTooLong));
  EXPECT_TRUE(
      FailedWith(mark, RoundNumberText(View(long_number + "D30000"), 0), kErrStringTooLong));
  EXPECT_TRUE(FailedWith(mark, RoundNumberText(ErrorDesc(kErrFileNotFound), 0), kErrFileNotFound));
}

}  // namespace
