#include "runtime/messages/conversions.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"

namespace {

using ConversionTest = RuntimeTest;

std::u16string Wide(StrDesc text, bool path = false) {
  const char16_t* w = path ? ToWidePath(text) : ToWideText(text);
  return w == nullptr ? u"<null>" : std::u16string(w, WideLength(w));
}

TEST_F(ConversionTest, DisplayTextFoldsSevenLettersAndKeepsTheRest) {
  struct Case {
    std::string bytes;
    std::u16string shown;
  } cases[] = {
      {"plain", u"plain"},
      {"Canci\xc3\xb3n", u"Cancion"},               // ó folds to o
      {"\xc3\x89t\xc3\xa9", u"\u00c9te"},           // É stays, é folds
      {"a\xc3\xb1o \xc3\x91", u"ano N"},            // ñ and Ñ
      {"\xc3\xbc \xe2\x82\xac", u"\u00fc \u20ac"},  // ü and the euro sign stay
      {"bad\xff\xe9", u"bad\u00ffe"},               // invalid bytes read as Latin-1
      {"\xf0\x9f\x98\x80", u"\U0001F600"},          // beyond the BMP: a surrogate pair
      {"\xed\xa0\x80", u"i\u00a0\u0080"},           // an encoded surrogate is invalid
      {"", u""},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    EXPECT_EQ(Wide(View(c.bytes)), c.shown) << c.bytes;
    EXPECT_EQ(MarkArea(), mark + 1);
    ReleaseArea(mark);
  }
  EXPECT_EQ(Wide(Lit("Canci\xc3\xb3n"), true), u"Canci\u00f3n");  // a path is never folded
  EXPECT_EQ(ToWideText(ErrorDesc(kErrOutOfMemory)), nullptr);
}

TEST_F(ConversionTest, RuntimeTextIsUtf8) {
  struct Case {
    std::u16string wide;
    std::string bytes;
  } cases[] = {
      {u"plain", "plain"},
      {u"\u20ac", "\xe2\x82\xac"},  // the euro sign round-trips
      {u"\u00e9\u00d1", "\xc3\xa9\xc3\x91"},
      {u"\U0001F600", "\xf0\x9f\x98\x80"},
      {std::u16string(1, char16_t(0xD800)) + u"x", "\xef\xbf\xbdx"},  // unpaired surrogate
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = ToRuntimeText(c.wide.c_str());
    EXPECT_TRUE(OneNewString(mark, r));
    EXPECT_EQ(Text(r), c.bytes);
    EXPECT_EQ(Wide(r, true), c.wide.size() == 2 && c.wide[0] == 0xD800 ? u"\uFFFDx" : c.wide);
    ReleaseArea(mark);
  }
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(FailedWith(mark, ToRuntimeText(nullptr), kErrBadInputData));
  const std::u16string huge(30000, u'\u20ac');  // 90,000 bytes of UTF-8
  EXPECT_TRUE(FailedWith(mark, ToRuntimeText(huge.c_str()), kErrStringTooLong));
  FillArea(0);
  const AreaMark full = MarkArea();
  EXPECT_TRUE(FailedWith(full, ToRuntimeText(u"x"), kErrOutOfMemory));
  EXPECT_EQ(ToWideText(Lit("x")), nullptr);
  EXPECT_EQ(MarkArea(), full);
}

}  // namespace
