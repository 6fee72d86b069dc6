#include "runtime/text/dates.h"

#include <cstdio>
#include <cstring>

#include "compare/file_queries.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/lists.h"
#include "runtime/text/strings.h"

namespace {

constexpr StrDesc kDayFirstLanguages = Lit("ES,FR,IT");
constexpr std::uint16_t kShortDateLimit = 64;

bool IsLeapYear(std::int32_t year) {
  // The Gregorian rule: 2100 and 1900 are not leap years, 2000 is.
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The month names list and the long pattern from the date words (group 0 item 0).
StrDesc DateWord(std::uint16_t which) {
  const StrDesc words = Item(GetVariable(kGroupSettings, kItemDatePattern), kNul, 2);
  return Unquote(Item(words, kComma, which));
}

}  // namespace

std::uint8_t DaysInMonth(std::uint16_t year, std::uint16_t month) {
  switch (month) {
    case 2:
      return IsLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

StatusWord IsValidDate(DateNumber date, char buffer[kDateTextLength]) {
  const std::int32_t year = date / 10000;
  const std::int32_t rest = date % 10000;
  const std::int32_t month = rest / 100;
  const std::int32_t day = rest % 100;
  if (year < 0 || year >= 10000 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month))) {
    return kErrBadInputData;
  }
  const std::int32_t parts[] = {year / 1000, year / 100 % 10, year / 10 % 10, year % 10,
                                month / 10,  month % 10,      day / 10,       day % 10};
  for (std::size_t i = 0; i < kDateTextLength; ++i) buffer[i] = static_cast<char>('0' + parts[i]);
  return kOk;
}

StrDesc DateToText(DateNumber date) {
  const AreaMark mark = MarkArea();
  char text[kDateTextLength];
  if (IsValidDate(date, text) != kOk) return KeepResult(mark, EmptyDesc());
  return KeepResult(mark, StrDesc{text, kDateTextLength});
}

DateNumber TextToDate(StrDesc text, std::uint16_t /*parts*/) {
  if (DescStatus(text) != kOk) return 0;
  const std::int32_t year = ToInt(Substring(text, 0, 4));
  const std::int32_t month = ToInt(Substring(Substring(text, -4, 0), 0, 2));
  const std::int32_t day = ToInt(Substring(text, -2, 0));
  return year * 10000 + month * 100 + day;
}

DateNumber Today() { return static_cast<DateNumber>(StampDate(CurrentStamp())); }

StrDesc DefaultToToday(StrDesc text) {
  if (DescStatus(text) != kOk) return text;
  if (text.len != 0 || TestSetting(kSettingFlags, kSettingFlagDateOption)) return text;
  return DateToText(Today());
}

StrDesc ShortDate(StrDesc year, StrDesc month, StrDesc day) {
  const AreaMark mark = MarkArea();
  const bool day_first =
      ItemIndex(kDayFirstLanguages, GetVariable(kGroupSettings, kItemLanguage), kComma) != 0;
  const StrDesc first = day_first ? day : month;
  const StrDesc second = day_first ? month : day;
  return KeepResult(mark, FormatText(kShortDateLimit, "%s-%s-%s", {first, second, year}));
}

StrDesc FormatDate(StrDesc text, std::uint8_t form) {
  if (DescStatus(text) != kOk) return text;
  const AreaMark mark = MarkArea();
  const StrDesc given = DefaultToToday(text);
  if (given.ptr == nullptr) return KeepResult(mark, given);
  const StrDesc d = DateToText(TextToDate(given, kDateAllParts));
  if (d.ptr == nullptr) return KeepResult(mark, d);
  if (d.len == 0) {
    if (form == kDateShort) return KeepResult(mark, Lit("        "));
    if (form == kDateShortFull) return KeepResult(mark, Lit("          "));
    return KeepResult(mark, EmptyDesc());
  }
  const StrDesc year = Substring(d, 0, 4), month = Substring(d, 4, 2), day = Substring(d, 6, 2);
  switch (form) {
    case kDateAsGiven:
      return KeepResult(mark, given);
    case kDateShort:
      return KeepResult(mark, ShortDate(Substring(year, -2, 0), month, day));
    case kDateShortFull:
      return KeepResult(mark, ShortDate(year, month, day));
    case kDateMonthYear:
    case kDateLong: {
      StrDesc pattern = form == kDateMonthYear ? Lit("[M] [Y]") : DateWord(2);
      StrDesc month_name = Item(DateWord(1), kComma, static_cast<std::uint16_t>(ToInt(month)));
      if (form == kDateMonthYear) month_name = Substring(month_name, 0, 3);
      pattern = ReplaceAll(Copy(pattern), Lit("[D]"), day, kPlain);
      pattern = ReplaceAll(pattern, Lit("[M]"), month_name, kPlain);
      return KeepResult(mark, ReplaceAll(pattern, Lit("[Y]"), year, kPlain));
    }
    default:
      return KeepResult(mark, EmptyDesc());
  }
}
