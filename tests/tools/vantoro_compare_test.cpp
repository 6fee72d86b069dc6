// The headless report run as a program on fixture folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct ReportRun {
  int status;
  std::string out, err;
};

// Runs the report with the arguments; redirect, when given, replaces the
// capture of standard output (">/dev/full", ">&-"). As root, the report runs
// as the user nobody, so that folder permissions hold for it; an action that
// writes files runs as the test's user, in the folder cwd.
ReportRun Report(const std::string& args, const std::string& redirect = "",
                 const std::string& cwd = "") {
  TempDir capture;
  const std::string as_user =
      geteuid() == 0 && cwd.empty() ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const std::string in = cwd.empty() ? "" : "cd '" + cwd + "' && ";
  const std::string cmd = in + "TZ=UTC " + as_user + VANTORO_COMPARE + " " + args + " " +
                          (redirect.empty() ? ">" + capture / "out" : redirect) + " 2>" +
                          capture / "err";
  const int raw = std::system(cmd.c_str());
  return ReportRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(capture / "out"),
                   ReadFile(capture / "err")};
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);  // reachable for the user nobody
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
  EXPECT_EQ(help.out.rfind("usage: vantoro-compare [ACTION] LEFT RIGHT", 0), 0u);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_TRUE(WriteFile(right() + "/a-rather-long-file-name-" + std::to_string(i), ""));
  }
  const ReportRun many = Report(Quoted(left()) + " " + Quoted(right()));
  EXPECT_EQ(many.status, 2);
  EXPECT_EQ(many.out, "");
  EXPECT_NE(many.err.find("holds too many files to compare"), std::string::npos);
}

// Control bytes and the backslash are escaped, so that every row is one
// output line with exactly one TAB; the names themselves are untouched.
TEST_F(ReportTest, ControlBytesAreEscapedOneRowALine) {
  const std::int64_t t = 1489573353;
  Put(left() + "/a\nb", t);
  Put(left() + "/c\td\x1b[31m", t);
  Put(left() + "/e\\f\x7f", t);
  Put(right() + "/a\nb", t);
  const ReportRun run = Report(Quoted(left()) + " " + Quoted(right()));
  EXPECT_EQ(run.status, 1);
  std::vector<std::string> lines;
  for (std::size_t from = 0; from < run.out.size();) {
    const std::size_t end = run.out.find('\n', from);
    ASSERT_NE(end, std::string::npos);
    lines.push_back(run.out.substr(from, end - from));
    from = end + 1;
  }
  ASSERT_EQ(lines.size(), 3u);
  for (const std::string& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 1) << line;
    EXPECT_EQ(line.find('\x1b'), std::string::npos);
    EXPECT_EQ(line.find('\x7f'), std::string::npos);
  }
  EXPECT_EQ(lines[0].substr(0, 5), " a\\nb");
  EXPECT_EQ(lines[1].substr(0, 13), " c\\td\\x1b[31m");
  EXPECT_EQ(lines[2].substr(0, 9), " e\\\\f\\x7f");
  const ReportRun help = Report("--help");
  EXPECT_NE(help.out.find("\\xHH"), std::string::npos);
}

// The report never hides its own failures: output that cannot be written,
// a folder that cannot be read or searched, a path the system refuses.
TEST_F(ReportTest, ItsOwnFailuresExitTwoAndSaySo) {
  Put(left() + "/a.txt", 1489573353);
  const std::string both = Quoted(left()) + " " + Quoted(right());
  for (const char* redirect : {">/dev/full", ">&-"}) {
    const ReportRun run = Report(both, redirect);
    EXPECT_EQ(run.status, 2) << redirect;
    EXPECT_NE(run.err.find("the report cannot be written"), std::string::npos) << run.err;
  }
  const std::string locked = dir_ / "locked", unsearchable = dir_ / "unsearchable";
  ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(unsearchable.c_str(), 0755), 0);
  Put(unsearchable + "/a.txt", 1489573353);
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  ASSERT_EQ(chmod(unsearchable.c_str(), 0444), 0);
  const std::string long_path = "/" + std::string(5000, 'p');
  struct Case {
    std::string args, err;
  } cases[] = {
      {Quoted(left()) + " " + Quoted(locked), locked + " cannot be read"},
      {Quoted(unsearchable) + " " + Quoted(right()), unsearchable + " cannot be read"},
      {Quoted(left()) + " " + Quoted(long_path), "longer than the system allows"},
      {Quoted(dir_ / "none") + " " + Quoted(dir_ / "none"), dir_ / "none is not a folder\n"},
      {Quoted(locked) + " " + Quoted(dir_.path() + "/./locked"), locked + " cannot be read\n"},
      {Quoted(dir_ / "no\x1b[2J") + " " + Quoted(right()), dir_ / "no\\x1b[2J is not a folder"},
  };
  for (const Case& c : cases) {
    const ReportRun run = Report(c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    // Named once, even when both arguments name it.
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  ASSERT_EQ(chmod(locked.c_str(), 0755), 0);
  ASSERT_EQ(chmod(unsearchable.c_str(), 0755), 0);
}

// The window's passes from the command line: the rows as they stand after
// the pass, the backups below the current folder, exit 2 when a copy failed
// or was refused, each such file named with its reason.
TEST_F(ReportTest, ActionsRunThePassesAndSayWhatFailed) {
  const std::int64_t t = 1489573353;
  const auto reset = [&] {
    Put(left() + "/nl", t + 100);
    Put(right() + "/nl", t);
    ASSERT_TRUE(WriteFile(right() + "/nl", "old"));
    ASSERT_TRUE(SetModified(right() + "/nl", t));
    Put(left() + "/nr", t);
    Put(right() + "/nr", t + 100);
  };
  reset();
  TempDir work;
  const std::string both = Quoted(left()) + " " + Quoted(right());
  const ReportRun right_run = Report("--all-files-right " + both, "", work.path());
  EXPECT_EQ(right_run.status, 1) << right_run.err;  // nr still differs
  EXPECT_EQ(ReadFile(right() + "/nl"), "x");
  char today[16];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  std::strftime(today, sizeof today, "%m-%d-%y", gmtime_r(&now, &utc));
  EXPECT_EQ(ReadFile(work.path() + "/Backups" + right() + "/Backup(" + today + ")/nl"), "old");
  EXPECT_NE(right_run.out.find("nl"), std::string::npos);
  EXPECT_EQ(std::count(right_run.out.begin(), right_run.out.end(), '\n'), 2);
  const ReportRun left_run = Report("--all-files-left " + both, "", work.path());
  EXPECT_EQ(left_run.status, 0) << left_run.err;  // every row equal now
  EXPECT_EQ(left_run.err, "");

  // A refused copy: exit 2, the file and the reason on standard error.
  reset();
  ASSERT_EQ(chmod((right() + "/nl").c_str(), 0444), 0);
  const ReportRun refused = Report("--all-files-right " + both, "", work.path());
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find(right() + "/nl: is read-only"), std::string::npos) << refused.err;
  ASSERT_EQ(chmod((right() + "/nl").c_str(), 0644), 0);

  // Exports: into a folder of their own, never into the left folder itself.
  TempDir target;
  const ReportRun exported =
      Report("--export-not-equals " + Quoted(target.path()) + " " + both, "", work.path());
  EXPECT_EQ(exported.status, 1) << exported.err;
  EXPECT_EQ(ReadFile(target / "nl"), "x");
  EXPECT_EQ(ReadFile(target / "nr"), "<missing>");  // the same bytes: an equal file
  const ReportRun into_left =
      Report("--export-equals " + Quoted(left()) + " " + both, "", work.path());
  EXPECT_EQ(into_left.status, 2);
  EXPECT_NE(into_left.err.find("is the left folder itself"), std::string::npos);
  const ReportRun unknown = Report("--all-files-up " + both, "", work.path());
  EXPECT_EQ(unknown.status, 2);
  const ReportRun help = Report("--help");
  EXPECT_NE(help.out.find("--restore-equals"), std::string::npos);
}

}  // namespace
