// The headless report run as a program on fixture folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

struct ReportRun {
  int status;
  std::string out, err;
};

ReportRun Report(const std::string& args) {
  TempDir capture;
  const std::string cmd = std::string("TZ=UTC ") + VANTORO_COMPARE + " " + args + " >" +
                          capture / "out" + " 2>" + capture / "err";
  const int raw = std::system(cmd.c_str());
  return ReportRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(capture / "out"),
                   ReadFile(capture / "err")};
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(left().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(right().c_str(), 0755), 0);
  }
  std::string left() const { return dir_ / "left"; }
  std::string right() const { return dir_ / "right"; }
  void Put(const std::string& path, std::int64_t stamp) {
    ASSERT_TRUE(WriteFile(path, "x"));
    ASSERT_TRUE(SetModified(path, stamp));
  }
  TempDir dir_;
};

TEST_F(ReportTest, PrintsEveryRowAndSaysWhetherAllAreEqual) {
  const std::int64_t t = 1489573353;  // 2017-03-15 10:22:33 UTC
  Put(left() + "/a.txt", t);
  Put(left() + "/b.txt", t);
  Put(right() + "/b.txt", t);
  Put(right() + "/c.txt", t);
  const ReportRun run = Report(Quoted(left()) + " " + Quoted(right()));
  EXPECT_EQ(run.status, 1);
  const std::string pad(33, ' ');
  const std::string a = " a.txt" + pad + "      1  03-15-17  10:22  ++ ";
  const std::string b = " b.txt" + pad + "      1  03-15-17  10:22  == ";
  const std::string c = " c.txt" + pad + "      1  03-15-17  10:22  XX ";
  EXPECT_EQ(run.out, a + "\t\n" + b + "\t" + b + "\n\t" + c + "\n");
  EXPECT_EQ(run.err, "");

  ASSERT_EQ(std::remove((left() + "/a.txt").c_str()), 0);
  ASSERT_EQ(std::remove((right() + "/c.txt").c_str()), 0);
  const ReportRun equal = Report(Quoted(left()) + " " + Quoted(right()));
  EXPECT_EQ(equal.status, 0);
  EXPECT_EQ(equal.out, b + "\t" + b + "\n");
}

TEST_F(ReportTest, UsageErrorsAndRefusedFolders) {
  struct Case {
    std::string args;
    int status;
    std::string err_part;
  } cases[] = {
      {"", 2, "two folders"},
      {Quoted(left()), 2, "two folders"},
      {Quoted(left()) + " " + Quoted(dir_ / "missing"), 2, "is not a folder"},
      {Quoted(left()) + " " + Quoted(left() + "/../left"), 0, ""},
  };
  for (const Case& c : cases) {
    const ReportRun run = Report(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.err.find(c.err_part), std::string::npos) << run.err;
  }
  const ReportRun help = Report("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: vantoro-compare LEFT RIGHT", 0), 0u);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_TRUE(WriteFile(right() + "/a-rather-long-file-name-" + std::to_string(i), ""));
  }
  const ReportRun many = Report(Quoted(left()) + " " + Quoted(right()));
  EXPECT_EQ(many.status, 2);
  EXPECT_EQ(many.out, "");
  EXPECT_NE(many.err.find("holds too many files to compare"), std::string::npos);
}

}  // namespace
