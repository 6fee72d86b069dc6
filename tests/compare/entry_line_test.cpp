#include "compare/entry_line.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "compare/file_queries.h"
#include "compare/listing.h"
#include "compare/size_field.h"
#include "compare/view_rows.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/dates.h"
#include "runtime/text/format.h"
#include "runtime/text/masks.h"
#include "runtime/text/strings.h"
#include "support/os_faults.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

// Two folders under a temporary directory, with files whose modified times
// are set to the second, in a fixed time zone.
class EntryLineTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
    ASSERT_EQ(mkdir(left().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(right().c_str(), 0755), 0);
  }
  std::string left() const { return dir_ / "left"; }
  std::string right() const { return dir_ / "right"; }
  void Put(const std::string& folder, const std::string& name, std::int64_t stamp,
           const std::string& bytes = "x") {
    ASSERT_TRUE(WriteFile(folder + "/" + name, bytes));
    ASSERT_TRUE(SetModified(folder + "/" + name, stamp));
  }
  // The line of a row for a side, and its marker, over fresh listings.
  std::string Line(std::uint16_t row, std::uint8_t side, StatusMarker* marker = nullptr,
                   StrDesc adapted = kAdaptedFolder) {
    const AreaMark mark = MarkArea();
    const StrDesc l = ListFolder(View(left()), kArchiveMask);
    const StrDesc r = ListFolder(View(right()), kArchiveMask);
    const AreaMark lists = MarkArea();
    const EntryLine e = BuildEntryLine(View(left()), View(right()), l, r, row, side, adapted);
    EXPECT_TRUE(OneNewString(lists, e.line));
    if (marker != nullptr) *marker = e.marker;
    std::string text = Text(e.line);
    ReleaseArea(mark);
    return text;
  }
  ScopedTimeZone tz_{"CET-1CEST,M3.5.0,M10.5.0/3"};
  TempDir dir_;
};

std::string Pad(const std::string& name) { return name + std::string(38 - name.size(), ' '); }

TEST_F(EntryLineTest, TheReadmeExample) {
  Put(left(), "readme.txt", LocalStamp(2017, 3, 15, 10, 22, 33), std::string(1234, 'r'));
  Put(right(), "readme.txt", LocalStamp(2017, 3, 14, 9, 0, 0), "old");
  StatusMarker marker;
  EXPECT_EQ(Line(1, kSideLeft, &marker),
            " readme.txt" + std::string(28, ' ') + "  1,234  03-15-17  10:22  >> ");
  EXPECT_EQ(marker, kMarkerLeftNewer);
  EXPECT_EQ(Line(1, kSideRight, &marker),
            " " + Pad("readme.txt") + "      3  03-14-17  09:00  >> ");
  EXPECT_EQ(marker, kMarkerLeftNewer);
}

TEST_F(EntryLineTest, TwoSecondsOnTheSameDayAreEqual) {
  struct Case {
    std::int64_t left, right;
    StatusMarker marker;
  } cases[] = {
      {LocalStamp(2017, 3, 15, 10, 22, 31), LocalStamp(2017, 3, 15, 10, 22, 33), kMarkerEqual},
      {LocalStamp(2017, 3, 15, 10, 22, 30), LocalStamp(2017, 3, 15, 10, 22, 33), kMarkerRightNewer},
      {LocalStamp(2017, 3, 15, 10, 22, 35), LocalStamp(2017, 3, 15, 10, 22, 33), kMarkerEqual},
      {LocalStamp(2017, 3, 15, 0, 0, 1), LocalStamp(2017, 3, 14, 23, 59, 59), kMarkerLeftNewer},
      {LocalStamp(2017, 3, 14, 23, 59, 59), LocalStamp(2017, 3, 15, 0, 0, 0), kMarkerRightNewer},
      {LocalStamp(2040, 1, 1, 0, 0, 0), LocalStamp(2039, 12, 31, 0, 0, 0), kMarkerLeftNewer},
  };
  for (const Case& c : cases) {
    Put(left(), "f", c.left, "small");
    Put(right(), "f", c.right, "a larger copy");  // sizes play no part
    StatusMarker marker;
    Line(1, kSideLeft, &marker);
    EXPECT_EQ(marker, c.marker) << c.left << " vs " << c.right;
  }
  EXPECT_EQ(CompareStamps(20170315, 2147483000, 20170315, 2147483000, 2000), 0);
}

TEST_F(EntryLineTest, OneSidedNamesAndExactCase) {
  const std::int64_t t = LocalStamp(2017, 3, 15, 10, 0, 0);
  Put(left(), "Readme.txt", t);
  Put(left(), "only-left", t);
  Put(right(), "README.TXT", t);
  Put(right(), "only-right", t);
  // Rows: the left names (Readme.txt, only-left), then the right-only ones.
  StatusMarker marker;
  EXPECT_EQ(Line(1, kSideLeft, &marker).substr(1, 10), "Readme.txt");
  EXPECT_EQ(marker, kMarkerLeftOnly);  // names match byte for byte, case included
  EXPECT_EQ(Line(1, kSideRight), "");
  EXPECT_EQ(Line(2, kSideLeft).substr(64), " ++ ");
  EXPECT_EQ(Line(3, kSideLeft), "");
  EXPECT_EQ(Line(3, kSideRight, &marker).substr(1, 10), "README.TXT");
  EXPECT_EQ(marker, kMarkerRightOnly);
  EXPECT_EQ(Line(4, kSideRight).substr(0, 11), " only-right");
  EXPECT_EQ(Line(4, kSideRight).substr(64), " XX ");
  EXPECT_EQ(Line(5, kSideRight, &marker), "");
}

// Only a regular file is a copy: whatever else stands under the same name
// on the other side (a folder, a FIFO, a dangling link) leaves the file
// one-sided, in the prepared pass of the view and in a single row alike. A
// link to a file is the file.
TEST_F(EntryLineTest, OnlyRegularFilesAreCopies) {
  const std::int64_t t = LocalStamp(2017, 3, 15, 10, 0, 0);
  enum Kind { kFolder, kFifo, kDanglingLink, kLinkToFile };
  struct Case {
    Kind kind;
    bool file_on_left;
    StatusMarker marker;
  } cases[] = {
      {kFolder, true, kMarkerLeftOnly},       {kFolder, false, kMarkerRightOnly},
      {kFifo, true, kMarkerLeftOnly},         {kFifo, false, kMarkerRightOnly},
      {kDanglingLink, true, kMarkerLeftOnly}, {kDanglingLink, false, kMarkerRightOnly},
      {kLinkToFile, true, kMarkerEqual},      {kLinkToFile, false, kMarkerEqual},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "kind " << c.kind << (c.file_on_left ? " right" : " left"));
    TempDir dir;
    const std::string l = dir / "l", r = dir / "r";
    ASSERT_EQ(mkdir(l.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(r.c_str(), 0755), 0);
    const std::string& file_side = c.file_on_left ? l : r;
    const std::string other = (c.file_on_left ? r : l) + "/y";
    Put(file_side, "y", t);
    switch (c.kind) {
      case kFolder:
        ASSERT_EQ(mkdir(other.c_str(), 0755), 0);
        break;
      case kFifo:
        ASSERT_EQ(mkfifo(other.c_str(), 0644), 0);
        break;
      case kDanglingLink:
        ASSERT_EQ(symlink("nowhere", other.c_str()), 0);
        break;
      case kLinkToFile:
        ASSERT_EQ(symlink((file_side + "/y").c_str(), other.c_str()), 0);
        break;
    }
    ASSERT_TRUE(SetModified(other, t) || c.kind == kDanglingLink);
    std::vector<std::string> texts;
    const RowPass pass = FillRows(
        View(l), View(r),
        [](const RowText& row, void* context) {
          auto* out = static_cast<std::vector<std::string>*>(context);
          out->push_back(Text(row.left_line) + "|" + Text(row.right_line) + "|" +
                         std::to_string(row.marker));
        },
        &texts);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].back() - '0', c.marker) << texts[0];
    EXPECT_EQ(pass.all_equal, c.marker == kMarkerEqual);
    const std::string marker_text = Text(MarkerText(c.marker));
    const std::size_t bar = texts[0].find('|');
    const std::string left_line = texts[0].substr(0, bar);
    const std::string right_line = texts[0].substr(bar + 1, texts[0].rfind('|') - bar - 1);
    if (c.marker == kMarkerEqual) {
      EXPECT_EQ(left_line.substr(64), marker_text);
      EXPECT_EQ(right_line, left_line);
    } else if (c.file_on_left) {
      EXPECT_EQ(left_line.substr(64), marker_text);
      EXPECT_EQ(right_line, "");
    } else {
      EXPECT_EQ(left_line, "");
      EXPECT_EQ(right_line.substr(64), marker_text);
    }
    // The single row that a copy rebuilds agrees: with both lists holding the
    // name, a file on the left only is " ++ ", one on the right only leaves
    // no left copy (255).
    const StatusMarker single =
        c.marker == kMarkerEqual ? kMarkerEqual : (c.file_on_left ? kMarkerLeftOnly : kMarkerNone);
    const AreaMark mark = MarkArea();
    for (std::uint8_t side : {kSideLeft, kSideRight}) {
      const EntryLine e =
          BuildEntryLine(View(l), View(r), Lit("y"), Lit("y"), 1, side, EmptyDesc());
      EXPECT_EQ(e.marker, single);
      ReleaseArea(mark);
    }
  }
}

TEST_F(EntryLineTest, AnAdaptedCopyMarksADifferingPair) {
  const std::int64_t old_time = LocalStamp(2017, 3, 14, 10, 0, 0);
  const std::int64_t new_time = LocalStamp(2017, 3, 15, 10, 0, 0);
  for (const char* name : {"in-left-adap", "in-right-adap", "in-cwd", "plain", "equal"}) {
    Put(left(), name, new_time);
    Put(right(), name, std::string(name) == "equal" ? new_time : old_time);
  }
  ASSERT_EQ(mkdir((left() + "/Adap").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((right() + "/Adap").c_str(), 0755), 0);
  Put(left() + "/Adap", "in-left-adap", old_time);
  Put(left() + "/Adap", "equal", old_time);
  Put(right() + "/Adap", "in-right-adap", old_time);
  ASSERT_EQ(mkdir((dir_ / "cwd").c_str(), 0755), 0);
  Put(dir_ / "cwd", "in-cwd", old_time);
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(chdir((dir_ / "cwd").c_str()), 0);
  // Sorted rows: equal, in-cwd, in-left-adap, in-right-adap, plain.
  const StatusMarker expected[] = {kMarkerEqual, kMarkerAdapted, kMarkerAdapted, kMarkerAdapted,
                                   kMarkerLeftNewer};
  for (std::uint16_t row = 1; row <= 5; ++row) {
    StatusMarker marker;
    Line(row, kSideLeft, &marker);
    EXPECT_EQ(marker, expected[row - 1]) << row;
  }
  // Adapted folders and a current folder that cannot be read are asked name
  // by name: an adapted copy is never missed (and the bulk copies never take
  // such a pair for a newer one).
  {
    ScopedFaults faults([](const InjectedCall& c) {
      return std::strcmp(c.call, "opendir") == 0 && c.path != nullptr &&
                     (std::strstr(c.path, "Adap") != nullptr || std::strcmp(c.path, ".") == 0)
                 ? EACCES
                 : 0;
    });
    for (std::uint16_t row = 1; row <= 5; ++row) {
      StatusMarker marker;
      Line(row, kSideLeft, &marker);
      EXPECT_EQ(marker, expected[row - 1]) << "unreadable, row " << row;
      const AreaMark mark = MarkArea();
      FolderSnapshot ls, rs;
      const StrDesc l = ListFolder(View(left()), kArchiveMask, nullptr, &ls);
      const StrDesc r = ListFolder(View(right()), kArchiveMask, nullptr, &rs);
      ComparePass pass;
      PrepareComparePass(&pass, View(left()), View(right()), l, r, kAdaptedFolder, &ls, &rs);
      EXPECT_EQ(BuildPassLine(pass, row, kSideLeft).marker, expected[row - 1]) << row;
      ReleaseArea(mark);
    }
  }
  StatusMarker marker;
  Line(3, kSideLeft, &marker, EmptyDesc());  // no adapted folder: the search is off
  EXPECT_EQ(marker, kMarkerLeftNewer);
  ASSERT_EQ(chdir(here), 0);
}

TEST_F(EntryLineTest, FixedColumnsHoldLongAndUtf8Names) {
  const std::int64_t t = LocalStamp(2017, 3, 15, 10, 22, 59);
  const std::string n38(38, 'a');
  const std::string n45 = std::string(38, 'b') + "-extra!";
  const std::string utf8 = "caf\xc3\xa9 \xc3\xbc.txt";  // 10 characters, 12 bytes
  Put(left(), n38, t, "");
  Put(left(), n45, t, std::string(999999, 'z'));
  Put(left(), utf8, t, std::string(1000000, 'z'));
  const std::string l1 = Line(1, kSideLeft);  // aaa...
  EXPECT_EQ(l1, " " + n38 + "      0  03-15-17  10:22  ++ ");
  const std::string l2 = Line(2, kSideLeft);
  EXPECT_EQ(l2, " " + n45.substr(0, 38) + "999,999  03-15-17  10:22  ++ ");
  EXPECT_EQ(Text(LineFileName(View(l2))), n45.substr(0, 38));
  const std::string l3 = Line(3, kSideLeft);
  EXPECT_EQ(l3, " " + utf8 + std::string(28, ' ') + "1000000  03-15-17  10:22  ++ ");
  EXPECT_EQ(Text(LineFileName(View(l3))), utf8);
  EXPECT_EQ(Text(LineFileName(Lit(""))), "");
  EXPECT_EQ(Text(LineFileName(Lit(" short"))), "short");
}

// The line is built in one step; it is the very text the line format gives
// for its five fields, whatever the name, the size, the day and the marker.
TEST_F(EntryLineTest, TheLineIsWhatTheLineFormatGives) {
  struct Case {
    std::string name;
    std::uint64_t size;
    std::int64_t stamp;
  } cases[] = {
      {"a", 0, LocalStamp(2017, 3, 15, 0, 0, 0)},
      {"readme.txt", 1234, LocalStamp(2017, 3, 15, 23, 59, 59)},
      {"Canci\xc3\xb3n \xe2\x82\xac.txt", 999999, LocalStamp(2001, 1, 2, 3, 4, 5)},
      {std::string(45, 'L'), 12345678, LocalStamp(2039, 12, 31, 12, 0, 0)},
      {"\xff\xfe odd bytes", 5, LocalStamp(2020, 2, 29, 6, 30, 0)},
      {std::string(37, 'x') + "\xc3\xb1" + "tail", 77, LocalStamp(2017, 6, 1, 9, 9, 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir / c.name, ""));
    ASSERT_EQ(truncate((dir / c.name).c_str(), static_cast<off_t>(c.size)), 0);
    ASSERT_TRUE(SetModified(dir / c.name, c.stamp));
    const AreaMark mark = MarkArea();
    FolderSnapshot snapshot;
    const StrDesc list = ListFolder(View(dir.path()), kArchiveMask, nullptr, &snapshot);
    ComparePass pass;
    PrepareComparePass(&pass, View(dir.path()), EmptyDesc(), list, EmptyDesc(), EmptyDesc(),
                       &snapshot, nullptr);
    const AreaMark lines = MarkArea();
    const EntryLine line = BuildPassLine(pass, 1, kSideLeft);
    ASSERT_TRUE(OneNewString(lines, line.line));
    const std::string built = Text(line.line);
    const std::int32_t time = static_cast<std::int32_t>(StampTime(c.stamp));
    const StrDesc fields[] = {
        NameField(View(c.name)), SizeField(c.size),
        FormatDate(DateToText(static_cast<std::int32_t>(StampDate(c.stamp))), kDateShort),
        FormatTimeOfDay(time), MarkerText(kMarkerLeftOnly)};
    EXPECT_EQ(built, Text(FormatText(kLineLimit, kLineFormat, fields)));
    ReleaseArea(mark);
  }
}

TEST_F(EntryLineTest, SizesAboveTheMaskUseBinaryUnits) {
  struct Case {
    std::uint64_t size;
    const char* field;
  } cases[] = {
      {0, "      0"},
      {1234, "  1,234"},
      {9999999, "9999999"},
      {10000000, " 9,766K"},
      {99999ULL * 1024, "99,999K"},
      {99999ULL * 1024 + 512, "    98M"},
      {5ULL << 30, " 5,120M"},
      {200ULL << 30, "   200G"},
      {1ULL << 50, " 1,024T"},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc field = SizeField(c.size);
    EXPECT_TRUE(OneNewString(mark, field));
    EXPECT_EQ(Text(field), c.field) << c.size;
    ReleaseArea(mark);
  }
}

TEST_F(EntryLineTest, DatesTheCalendarCannotShowAreBlank) {
  Put(left(), "ancient", -86400 * 365);
  EXPECT_EQ(Line(1, kSideLeft),
            " " + Pad("ancient") + "      1" + std::string(2 + 8 + 2 + 5 + 1, ' ') + " ++ ");
}

TEST_F(EntryLineTest, APreparedPassGivesTheSameLinesAsSingleCalls) {
  const std::int64_t t = LocalStamp(2017, 3, 15, 10, 0, 0);
  for (int i = 0; i < 30; ++i) {
    const std::string name = "f" + std::to_string(i);
    if (i % 3 != 0) Put(left(), name, t + i * 5);
    if (i % 4 != 0) Put(right(), name, t + i * 3);
  }
  ASSERT_EQ(mkdir((left() + "/sub").c_str(), 0755), 0);
  Put(right(), "sub", t);  // a right file over a left folder of the same name
  ASSERT_EQ(mkdir((left() + "/Adap").c_str(), 0755), 0);
  Put(left() + "/Adap", "f5", t);
  const AreaMark mark = MarkArea();
  FolderSnapshot ls, rs;
  const StrDesc l = ListFolder(View(left()), kArchiveMask, nullptr, &ls);
  const StrDesc r = ListFolder(View(right()), kArchiveMask, nullptr, &rs);
  ComparePass pass;
  PrepareComparePass(&pass, View(left()), View(right()), l, r, kAdaptedFolder, &ls, &rs);
  for (std::uint16_t row = 1; row <= 40; ++row) {
    for (std::uint8_t side : {kSideLeft, kSideRight}) {
      const AreaMark inner = MarkArea();
      const EntryLine fast = BuildPassLine(pass, row, side);
      const std::string fast_text = Text(fast.line);
      ReleaseArea(inner);
      const EntryLine plain =
          BuildEntryLine(View(left()), View(right()), l, r, row, side, kAdaptedFolder);
      EXPECT_EQ(fast_text, Text(plain.line)) << row << " " << int(side);
      EXPECT_EQ(fast.marker, plain.marker) << row << " " << int(side);
      ReleaseArea(inner);
    }
  }
  ReleaseArea(mark);
}

}  // namespace

namespace {

using NameFieldTest = RuntimeTest;

TEST_F(NameFieldTest, IsTheTextMaskOfThirtyEightPlaces) {
  const std::string names[] = {"",
                               "a",
                               std::string(38, 'n'),
                               std::string(45, 'l'),
                               "caf\xc3\xa9 \xc3\xbc.txt",
                               std::string(40, '\xc3') + "x",
                               "\xe2\x82\xac" + std::string(37, 'e') + "\xf0\x9f\x98\x80tail",
                               "bad\xff\xfe bytes"};
  for (const std::string& name : names) {
    const AreaMark mark = MarkArea();
    const StrDesc fast = NameField(View(name));
    EXPECT_TRUE(OneNewString(mark, fast));
    const std::string fast_text = Text(fast);
    const StrDesc masked = ApplyMask(Repeat(Lit("\\"), 38), View(name), kMaskText);
    EXPECT_EQ(fast_text, Text(masked)) << name;
    ReleaseArea(mark);
  }
}

}  // namespace

namespace {

using SizeFieldTest = RuntimeTest;

TEST_F(SizeFieldTest, IsWhatTheMasksGive) {
  std::vector<std::uint64_t> sizes = {0,      1,      9,       10,      99,     100,
                                      999,    1000,   1001,    9999,    10000,  99999,
                                      100000, 999999, 1000000, 1234567, 9999999};
  for (std::uint64_t v = 7; v < 10000000; v = v * 3 + 1) sizes.push_back(v);
  for (std::uint64_t size : sizes) {
    const AreaMark mark = MarkArea();
    const std::string fast = Text(SizeField(size));
    const std::string masked =
        Text(ApplyMask(Lit("###,###"), WholeToText(static_cast<std::int64_t>(size))));
    EXPECT_EQ(fast, masked) << size;
    ReleaseArea(mark);
  }
  for (std::uint64_t value : {98ULL, 999ULL, 1000ULL, 99999ULL, 100000ULL, 1234567ULL}) {
    const AreaMark mark = MarkArea();
    const std::string masked =
        Text(ApplyMask(Lit("##,###"), WholeToText(static_cast<std::int64_t>(value)))) + "T";
    EXPECT_EQ(Text(SizeField(value << 40)), masked) << value;
    ReleaseArea(mark);
  }
}

}  // namespace
