#include "actions/viewing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "actions/process_runner.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "support/fake_programs.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

using Args = std::vector<std::string>;

// Names a file may have on this platform, each to reach a program unchanged.
const std::vector<std::string> kAwkwardNames = {
    "plain.txt",          "two  blanks and more.txt",
    "it's.txt",           "say \"hi\".txt",
    "Canci\xc3\xb3n.txt", "-leading dash.txt",
    "$(touch x).txt",     "line\nbreak.txt",
    "100%TEMP%.txt",      " edges .txt ",
    "star*and?.txt",
};

// Fake comparer and viewer first on PATH, reports in a folder of the test's.
class ViewingTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    descriptors_ = OpenDescriptorCount();
    fakes_ = std::make_unique<FakePrograms>(only_fakes_);
    fakes_->Add("xdg-open");
    fakes_->Add("diff", "printf 'REPORT %s\\n' \"$#\"");
  }
  void TearDown() override {
    fakes_.reset();
    EXPECT_EQ(OpenDescriptorCount(), descriptors_) << "a descriptor was left open";
    EXPECT_TRUE(AllStartedProgramsEnded());
    EXPECT_TRUE(NoChildLeft()) << "a child was left behind";
    RuntimeTest::TearDown();
  }
  std::string Detail() const { return Text(GetVariable(kGroupMessages, kItemDetailLog)); }
  // Puts a file in both folders under the name.
  void PutBoth(const std::string& name) {
    ASSERT_TRUE(WriteFile(left_ / name, "left\n"));
    ASSERT_TRUE(WriteFile(right_ / name, "right\n"));
  }

  bool only_fakes_ = false;
  std::unique_ptr<FakePrograms> fakes_;
  TempDir left_, right_, temp_;
  ScopedEnv temp_env_{"TEMP", temp_.path().c_str()};
  int descriptors_ = 0;
};

TEST_F(ViewingTest, AFileArgumentIsOneWordThatGivesThePathBack) {
  struct Case {
    std::string path;
    std::string word;
  } cases[] = {
      {"/a/b c.txt", "\"/a/b c.txt\""},
      {"/a/it's", "\"/a/it's\""},
      {"/a/say \"hi\"", "'/a/say \"hi\"'"},
      {"-x.txt", "\"./-x.txt\""},  // never taken for an option
      {"/a/-x.txt", "\"/a/-x.txt\""},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc word = FileArgument(View(c.path));
    EXPECT_TRUE(OneNewString(mark, word));
    EXPECT_EQ(Text(word), c.word) << c.path;
    ReleaseArea(mark);
  }
  for (const std::string& name : kAwkwardNames) {
    const std::string path = left_ / name;
    const AreaMark mark = MarkArea();
    const StrDesc word = FileArgument(View(path));
    EXPECT_TRUE(OneNewString(mark, word));
    const std::string command = "program " + Text(word) + " next";
    WordCursor cursor{View(command)};
    StrDesc w;
    Args words;
    while (NextCommandWord(&cursor, &w)) words.push_back(Text(w));
    EXPECT_EQ(words, (Args{"program", path, "next"})) << name;
    ReleaseArea(mark);
  }
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(FailedWith(mark, FileArgument(Lit("/a/both ' and \"")), kErrBadInputData));
}

TEST_F(ViewingTest, TheComparerGetsBothExactPathsAndTheViewerItsReport) {
  for (const std::string& name : kAwkwardNames) {
    PutBoth(name);
    fakes_->Forget("xdg-open");
    const AreaMark mark = MarkArea();
    EXPECT_EQ(CompareSelectedLine(View(left_.path()), View(right_.path()), View(name)), kOk)
        << name << ": " << Detail();
    EXPECT_EQ(MarkArea(), mark);
    EXPECT_EQ(fakes_->Args("diff"), (Args{"-s", "-u", left_ / name, right_ / name})) << name;
    const Args viewed = fakes_->Args("xdg-open");
    ASSERT_EQ(viewed.size(), 1u) << name;
    EXPECT_EQ(viewed[0].rfind(temp_.path() + "/", 0), 0u);
    EXPECT_EQ(ReadFile(viewed[0]), "REPORT 4\n");
  }
  // Paths that start with "-" are no options.
  EXPECT_EQ(CompareFiles(Lit("-a"), Lit("-b")), kOk);
  EXPECT_EQ(fakes_->Args("diff"), (Args{"-s", "-u", "./-a", "./-b"}));
}

TEST_F(ViewingTest, AnEmptyNameOrAMissingCopyIsRefusedBeforeAnythingRuns) {
  PutBoth("both.txt");
  ASSERT_TRUE(WriteFile(left_ / "left only", "x"));
  ASSERT_TRUE(WriteFile(right_ / "right only", "x"));
  ASSERT_EQ(mkdir((right_ / "folder").c_str(), 0755), 0);
  ASSERT_TRUE(WriteFile(left_ / "folder", "x"));
  ASSERT_TRUE(WriteFile(left_ / "a*", "x"));  // the right holds "ab": no wildcard matches it
  ASSERT_TRUE(WriteFile(right_ / "ab", "x"));
  struct Case {
    std::string name;
    StatusWord status;
    std::string detail;
  } cases[] = {
      {"", kErrBadInputData, ""},
      {"left only", kErrFileNotFound, right_ / "left only"},
      {"right only", kErrFileNotFound, left_ / "right only"},
      {"folder", kErrFileNotFound, right_ / "folder"},
      {"a*", kErrFileNotFound, right_ / "a*"},
      {" both.txt", kErrFileNotFound, left_ / " both.txt"},  // blanks belong to the name
  };
  for (const Case& c : cases) {
    (void)DeleteVariable(kGroupMessages, kItemDetailLog);
    const AreaMark mark = MarkArea();
    EXPECT_EQ(CompareSelectedLine(View(left_.path()), View(right_.path()), View(c.name)), c.status)
        << c.name;
    EXPECT_EQ(MarkArea(), mark);
    EXPECT_EQ(Detail(), c.detail) << c.name;
  }
  EXPECT_EQ(fakes_->Runs("diff"), 0);
  EXPECT_EQ(fakes_->Runs("xdg-open"), 0);
}

TEST_F(ViewingTest, AComparerThatNeverEndsIsStoppedAndSaysSo) {
  PutBoth("x.txt");
  fakes_->Add("diff", "exec sleep 30");
  const std::uint32_t limit = SetCaptureLimit(1000);
  EXPECT_EQ(CompareSelectedLine(View(left_.path()), View(right_.path()), Lit("x.txt")),
            kRunTimedOut);
  SetCaptureLimit(limit);
  EXPECT_EQ(Detail(), "diff did not end within 1 s and was stopped");
  EXPECT_EQ(fakes_->Runs("xdg-open"), 0);
}

class OnlyFakesTest : public ViewingTest {
 protected:
  OnlyFakesTest() { only_fakes_ = true; }
};

TEST_F(OnlyFakesTest, AProgramThatCannotStartIsReportedWithItsName) {
  PutBoth("x.txt");
  ASSERT_EQ(unlink((fakes_->folder() + "/diff").c_str()), 0);
  EXPECT_EQ(CompareFiles(View(left_ / "x.txt"), View(right_ / "x.txt")), kRunStartFailed);
  EXPECT_EQ(Detail(), "diff");
  fakes_->Add("diff", "printf same");
  ASSERT_EQ(unlink((fakes_->folder() + "/xdg-open").c_str()), 0);
  (void)DeleteVariable(kGroupMessages, kItemDetailLog);
  EXPECT_EQ(CompareFiles(View(left_ / "x.txt"), View(right_ / "x.txt")), kRunStartFailed);
  EXPECT_EQ(Detail(), "xdg-open");
  (void)DeleteVariable(kGroupMessages, kItemDetailLog);
  EXPECT_EQ(OpenWithAssociated(View(left_ / "x.txt"), kStartNoWait), kRunStartFailed);
  EXPECT_EQ(Detail(), "xdg-open");
  // A file without a program for its type stays silent.
  (void)DeleteVariable(kGroupMessages, kItemDetailLog);
  EXPECT_EQ(OpenWithAssociated(View(left_ / "README"), kStartNoWait), kNoAssociatedProgram);
  EXPECT_EQ(Detail(), "");
}

TEST_F(ViewingTest, OpeningHandsTheFileToTheOpenerAsOneWord) {
  for (const std::string& name :
       {std::string("a b  c.txt"), std::string("it's \"x\".pdf"), std::string("$(x) -y.txt")}) {
    fakes_->Forget("xdg-open");
    const std::string path = left_ / name;
    const StatusWord expected = name.find('\'') != std::string::npos ? kErrBadInputData : kOk;
    const AreaMark mark = MarkArea();
    EXPECT_EQ(OpenWithAssociated(View(path), kStartNoWait), expected) << name;
    EXPECT_EQ(MarkArea(), mark);
    if (expected == kOk) {
      EXPECT_EQ(fakes_->Args("xdg-open"), (Args{path})) << name;
    }
  }
  // Without an extension nothing is started.
  fakes_->Forget("xdg-open");
  EXPECT_EQ(OpenWithAssociated(View(left_ / "Makefile"), kStartNoWait), kNoAssociatedProgram);
  EXPECT_EQ(ViewFile(kViewerText, Lit("-notes.txt")), kOk);
  EXPECT_EQ(fakes_->Args("xdg-open"), (Args{"./-notes.txt"}));
  EXPECT_EQ(fakes_->Runs("xdg-open"), 1);
}

TEST_F(ViewingTest, ViewersAreTheOpenerOrARegisteredProgram) {
  fakes_->Add("AcroRd32.exe");
  struct Case {
    std::uint16_t n;
    std::string program;  // empty: the lookup fails
  } cases[] = {
      {kViewerText, "xdg-open"},
      {2, ""},  // not on PATH
      {3, "\"" + fakes_->folder() + "/AcroRd32.exe\""},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = ViewerProgram(c.n);
    if (c.program.empty()) {
      EXPECT_TRUE(FailedWith(mark, r, kFailure)) << c.n;
      EXPECT_EQ(ViewFile(c.n, Lit("/f")), kFailure);
    } else {
      EXPECT_TRUE(OneNewString(mark, r)) << c.n;
      EXPECT_EQ(Text(r), c.program);
    }
    ReleaseArea(mark);
  }
  EXPECT_EQ(ViewFile(3, Lit("/a b")), kOk);
  EXPECT_EQ(fakes_->Args("AcroRd32.exe"), (Args{"/a b"}));
}

// The real comparer, with only the viewer a fake.
class RealComparerTest : public ViewingTest {
 protected:
  void SetUp() override {
    ViewingTest::SetUp();
    ASSERT_EQ(unlink((fakes_->folder() + "/diff").c_str()), 0);
  }
  std::string Report() {
    const Args viewed = fakes_->Args("xdg-open");
    fakes_->Forget("xdg-open");
    return viewed.size() == 1 ? ReadFile(viewed[0]) : "<no report>";
  }
};

TEST_F(RealComparerTest, TheReportListsTheDifferingLinesOrSaysTheFilesAreIdentical) {
  ASSERT_TRUE(WriteFile(left_ / "a b.txt", "same\nold line\nend\n"));
  ASSERT_TRUE(WriteFile(right_ / "a b.txt", "same\nnew line\nend\n"));
  EXPECT_EQ(CompareSelectedLine(View(left_.path()), View(right_.path()), Lit("a b.txt")), kOk);
  const std::string report = Report();  // the comparer quotes names with blanks
  EXPECT_NE(report.find("--- \"" + left_ / "a b.txt" + "\"\t"), std::string::npos) << report;
  EXPECT_NE(report.find("+++ \"" + right_ / "a b.txt" + "\"\t"), std::string::npos) << report;
  EXPECT_NE(report.find("\n-old line\n+new line\n"), std::string::npos) << report;
  ASSERT_TRUE(WriteFile(right_ / "a b.txt", "same\nold line\nend\n"));
  EXPECT_EQ(CompareSelectedLine(View(left_.path()), View(right_.path()), Lit("a b.txt")), kOk);
  EXPECT_EQ(Report(),
            "Files " + left_ / "a b.txt" + " and " + right_ / "a b.txt" + " are identical\n");
}

}  // namespace
