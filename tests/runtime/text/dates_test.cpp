#include "runtime/text/dates.h"

#include <gtest/gtest.h>

#include <string>

#include "compare/file_queries.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"

namespace {

using DateTest = RuntimeTest;

TEST(Dates, MonthLengthsAndValidity) {
  struct Days {
    std::uint16_t year, month;
    std::uint8_t days;
  } days[] = {{2000, 2, 29}, {2100, 2, 28}, {1900, 2, 28},  {2016, 2, 29},
              {2017, 2, 28}, {2017, 4, 30}, {2017, 13, 31}, {2017, 12, 31}};
  for (const Days& d : days) EXPECT_EQ(DaysInMonth(d.year, d.month), d.days) << d.year << d.month;

  struct Valid {
    DateNumber date;
    StatusWord status;
    const char* text;
  } valid[] = {{20170229, kErrBadInputData, ""}, {20160229, kOk, "20160229"},
               {0, kErrBadInputData, ""},        {99991231, kOk, "99991231"},
               {70315, kOk, "00070315"},         {21000229, kErrBadInputData, ""},
               {20170100, kErrBadInputData, ""}, {-20170315, kErrBadInputData, ""}};
  for (const Valid& v : valid) {
    char buffer[8] = {'.', '.', '.', '.', '.', '.', '.', '.'};
    EXPECT_EQ(IsValidDate(v.date, buffer), v.status) << v.date;
    EXPECT_EQ(std::string(buffer, 8), v.status == kOk ? v.text : "........") << v.date;
  }
}

TEST_F(DateTest, TextsAndDisplayForms) {
  EXPECT_EQ(Text(DateToText(70315)), "00070315");
  EXPECT_EQ(Text(DateToText(20170230)), "");
  EXPECT_EQ(TextToDate(Lit("20170315"), kDateAllParts), 20170315);
  EXPECT_EQ(TextToDate(Lit("abc"), kDateAllParts), 0);
  ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
  struct Case {
    const char* language;
    const char* text;
    std::uint8_t form;
    const char* shown;
  } cases[] = {
      {"EN", "20170315", kDateShort, "03-15-17"},
      {"EN", "20170315", kDateShortFull, "03-15-2017"},
      {"ES", "20170315", kDateShort, "15-03-17"},
      {"FR", "20170315", kDateShortFull, "15-03-2017"},
      {"DE", "20170315", kDateShort, "03-15-17"},
      {"EN", "20170230", kDateShort, "        "},
      {"EN", "20170230", kDateShortFull, "          "},
      {"EN", "2017315", kDateAsGiven, ""},
      {"EN", "20170315", kDateAsGiven, "20170315"},
      {"EN", "20170315", kDateMonthYear, " 2017"},
      {"EN", "20170315", 9, ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, DescFromCString(c.language)), kOk);
    const AreaMark mark = MarkArea();
    const StrDesc shown = FormatDate(DescFromCString(c.text), c.form);
    EXPECT_TRUE(OneNewString(mark, shown));
    EXPECT_EQ(Text(shown), c.shown) << c.language << " " << c.text << " " << int(c.form);
    ReleaseArea(mark);
  }
}

TEST_F(DateTest, AnEmptyDateIsToday) {
  ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
  const DateNumber today = Today();
  EXPECT_EQ(today, static_cast<DateNumber>(StampDate(CurrentStamp())));
  const std::string digits = Text(DateToText(today));
  const std::string expected =
      digits.substr(4, 2) + "-" + digits.substr(6, 2) + "-" + digits.substr(2, 2);
  const AreaMark mark = MarkArea();
  EXPECT_EQ(Text(FormatDate(Lit(""), kDateShort)), expected);
  EXPECT_EQ(MarkArea(), mark + 1);
  ReleaseArea(mark);
  FillArea(0);
  const AreaMark full = MarkArea();
  EXPECT_TRUE(FailedWith(full, FormatDate(Lit("20170315"), kDateShort), kErrOutOfMemory));
}

TEST_F(DateTest, LongFormsUseTheStoredDateWords) {
  // Item 2 of the NUL list in group 0 item 0: month names, then the long pattern.
  const std::string words =
      std::string("x\0", 2) +
      "'January,February,March,April,May,June,July,August,September,October,November,"
      "December','[D] [M] [Y]'";
  ASSERT_EQ(SetVariable(kGroupSettings, kItemDatePattern, View(words)), kOk);
  EXPECT_EQ(Text(FormatDate(Lit("20170315"), kDateMonthYear)), "Mar 2017");
  EXPECT_EQ(Text(FormatDate(Lit("20170315"), kDateLong)), "15 March 2017");
}

}  // namespace
