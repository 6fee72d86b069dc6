#include "actions/process_runner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "support/fake_programs.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

// Fake programs first on PATH, temporary files in a folder of the test's.
class RunnerTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    descriptors_ = OpenDescriptorCount();
  }
  void TearDown() override {
    EXPECT_EQ(OpenDescriptorCount(), descriptors_) << "a descriptor was left open";
    EXPECT_TRUE(AllStartedProgramsEnded());
    EXPECT_TRUE(NoChildLeft()) << "a child was left behind";
    RuntimeTest::TearDown();
  }
  std::string Detail() const { return Text(GetVariable(kGroupMessages, kItemDetailLog)); }
  std::vector<std::string> TempFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(temp_.path())) {
      names.push_back(e.path().filename().string());
    }
    return names;
  }

  FakePrograms fakes_;
  TempDir temp_;
  ScopedEnv temp_env_{"TEMP", temp_.path().c_str()};
  int descriptors_ = 0;
};

// A sink that keeps every chunk.
struct Chunks {
  std::vector<std::string> chunks;
  StatusWord answer = kOk;  // returned from the first chunk on
};
StatusWord KeepChunk(void* context, const char* bytes, std::uint16_t count) {
  auto* c = static_cast<Chunks*>(context);
  c->chunks.emplace_back(bytes, count);
  return c->answer;
}

std::string Joined(const Chunks& c) {
  std::string all;
  for (const std::string& chunk : c.chunks) all += chunk;
  return all;
}

// 300 numbered lines of 10 bytes: 3,000 bytes whose order shows.
constexpr const char* kThousandsBody =
    "i=0; while [ $i -lt 300 ]; do printf '%09d\\n' $i; i=$((i+1)); done";
std::string ThreeThousandBytes() {
  std::string s;
  char line[16];
  for (int i = 0; i < 300; ++i) {
    std::snprintf(line, sizeof line, "%09d\n", i);
    s += line;
  }
  return s;
}

TEST(CommandWords, SplitAtBlanksOutsideQuotesAndLoseOnePairOfQuotes) {
  struct Case {
    std::string text;
    std::vector<std::string> words;
  } cases[] = {
      {"notepad.exe   C:\\a.txt", {"notepad.exe", "C:\\a.txt"}},  // no blank kept before a word
      {"\"My Prog\" 'a  b' c", {"My Prog", "a  b", "c"}},
      {"  lead  trail  ", {"lead", "trail"}},
      {"a\"b c\"d e", {"a\"b c\"d", "e"}},  // quotes inside a word stay
      {"\"it's\" 'say \"hi\"'", {"it's", "say \"hi\""}},
      {"x \"line\nbreak\" \"$(rm -rf x)\"", {"x", "line\nbreak", "$(rm -rf x)"}},
      {"\"\" x", {"", "x"}},  // an empty word in quotes is a word
      {"'unclosed rest  of text", {"'unclosed rest  of text"}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    WordCursor cursor{View(c.text)};
    std::vector<std::string> words;
    StrDesc word;
    while (NextCommandWord(&cursor, &word)) words.push_back(Text(word));
    EXPECT_EQ(words, c.words) << c.text;
  }
}

TEST_F(RunnerTest, OutputArrivesInOrderInChunksOfAtMost1024Bytes) {
  fakes_.Add("thousands", kThousandsBody);
  fakes_.Add("mixed", "printf out; printf err >&2; printf more");
  const AreaMark mark = MarkArea();
  Chunks c;
  EXPECT_EQ(RunCaptured(Lit("thousands"), &c, &KeepChunk), kOk);
  EXPECT_EQ(Joined(c), ThreeThousandBytes());
  for (const std::string& chunk : c.chunks) EXPECT_LE(chunk.size(), kCaptureChunk);
  EXPECT_GE(c.chunks.size(), 3u);
  Chunks m;
  EXPECT_EQ(RunCaptured(Lit("mixed"), &m, &KeepChunk), kOk);
  EXPECT_EQ(Joined(m), "outerrmore");  // standard error too, in the order written
  EXPECT_EQ(RunCaptured(Lit("thousands"), nullptr, nullptr), kOk);  // no sink: dropped
  EXPECT_EQ(MarkArea(), mark);

  const StrDesc path = RunToTempFile(Lit("thousands"));
  EXPECT_TRUE(OneNewString(mark, path));
  EXPECT_EQ(Text(path).rfind(temp_.path() + "/", 0), 0u);
  EXPECT_EQ(Text(path).substr(Text(path).size() - 4), ".txt");
  EXPECT_EQ(ReadFile(Text(path)), ThreeThousandBytes());
  ReleaseArea(mark);
}

TEST_F(RunnerTest, ACapturedProgramReadsAnEmptyInputAndEnds) {
  fakes_.Add("reader", "cat > \"$d/input\"; printf done");
  // Our own standard input is a pipe that never ends: a program that read
  // it would never end either.
  int never[2];
  ASSERT_EQ(pipe(never), 0);
  const int saved = dup(STDIN_FILENO);
  ASSERT_EQ(dup2(never[0], STDIN_FILENO), STDIN_FILENO);
  close(never[0]);
  const std::uint32_t limit = SetCaptureLimit(10000);
  Chunks c;
  const StatusWord status = RunCaptured(Lit("reader"), &c, &KeepChunk);
  SetCaptureLimit(limit);
  dup2(saved, STDIN_FILENO);
  close(saved);
  close(never[1]);
  EXPECT_EQ(status, kOk);
  EXPECT_EQ(Joined(c), "done");
  EXPECT_EQ(ReadFile(fakes_.folder() + "/input"), "");
}

TEST_F(RunnerTest, AProgramThatCannotStartGives164WithItsName) {
  fakes_.Add("MixedCase", "printf ran");
  struct Case {
    const char* command;
    StatusWord status;
    const char* detail;
  } cases[] = {
      {"no-such-program-here arg", kRunStartFailed, "no-such-program-here"},
      {"'no such program' arg", kRunStartFailed, "no such program"},
      {"MIXEDCASE", kRunStartFailed, "MIXEDCASE"},  // the name keeps its case
      {"   ", kRunStartFailed, ""},
      {"'MixedCase' x", kOk, ""},  // quoted: unquoted, case kept
      {"MixedCase x", kOk, ""},
  };
  for (const Case& c : cases) {
    (void)DeleteVariable(kGroupMessages, kItemDetailLog);
    const AreaMark mark = MarkArea();
    Chunks out;
    EXPECT_EQ(RunCaptured(DescFromCString(c.command), &out, &KeepChunk), c.status) << c.command;
    EXPECT_EQ(Detail(), c.detail) << c.command;
    EXPECT_EQ(Joined(out), c.status == kOk ? "ran" : "") << c.command;
    const StrDesc path = RunToTempFile(DescFromCString(c.command));
    if (c.status == kOk) {
      EXPECT_TRUE(OneNewString(mark, path));
    } else {
      EXPECT_TRUE(FailedWith(mark, path, c.status)) << c.command;
    }
    ReleaseArea(mark);
  }
  EXPECT_EQ(fakes_.Args("MixedCase"), (std::vector<std::string>{"x"}));
  // Only the successful runs left their reports.
  EXPECT_EQ(TempFiles().size(), 2u);
  const std::string with_nul("MixedCase a\0b", 13);
  EXPECT_EQ(RunCaptured(View(with_nul), nullptr, nullptr), kRunBadCommand);
}

TEST_F(RunnerTest, AnEmptyOutputLeavesNoFileButGivesThePath) {
  fakes_.Add("quiet");
  const AreaMark mark = MarkArea();
  const StrDesc path = RunToTempFile(Lit("quiet"));
  EXPECT_TRUE(OneNewString(mark, path));
  EXPECT_EQ(Text(path).rfind(temp_.path() + "/", 0), 0u);
  EXPECT_EQ(access(Text(path).c_str(), F_OK), -1);
  EXPECT_TRUE(TempFiles().empty());
  ReleaseArea(mark);
}

TEST_F(RunnerTest, ASinkErrorStopsTheCollectionAndTheProgram) {
  fakes_.Add("endless", "exec yes");  // writes for ever
  Chunks c;
  c.answer = kRunWriteFailed;
  EXPECT_EQ(RunCaptured(Lit("endless"), &c, &KeepChunk), kRunWriteFailed);
  EXPECT_EQ(c.chunks.size(), 1u);
}

TEST_F(RunnerTest, AWriteFailureOfTheReportFailsTheRunAndLeavesNoFile) {
  fakes_.Add("endless", "exec yes");
  OsCalls calls = RealOsCalls();
  calls.write = [](int, const void*, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  const AreaMark mark = MarkArea();
  StrDesc path;
  {
    ScopedOsCalls scoped(calls);
    path = RunToTempFile(Lit("endless"));
  }
  EXPECT_TRUE(FailedWith(mark, path, kRunWriteFailed));
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(RunnerTest, ARunIsStoppedAtTheTimeLimitButNotHeldByAProgramItLeftRunning) {
  fakes_.Add("sleeper", "exec sleep 30");
  fakes_.Add("parent", "(sleep 5 &); printf hi");  // the sleep keeps the output open
  const std::uint32_t limit = SetCaptureLimit(1000);
  const auto start = std::chrono::steady_clock::now();
  Chunks c;
  EXPECT_EQ(RunCaptured(Lit("sleeper"), &c, &KeepChunk), kRunTimedOut);
  const auto stopped = std::chrono::steady_clock::now();
  EXPECT_LT(stopped - start, std::chrono::seconds(10));
  EXPECT_EQ(Detail(), "sleeper did not end within 1 s and was stopped");
  SetCaptureLimit(limit);
  Chunks p;
  EXPECT_EQ(RunCaptured(Lit("parent"), &p, &KeepChunk), kOk);
  EXPECT_EQ(Joined(p), "hi");
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(4));
}

TEST_F(RunnerTest, FailedPlatformCallsLeaveNothingBehind) {
  fakes_.Add("talker", kThousandsBody);
  struct Case {
    const char* call;
    StatusWord status;
  } cases[] = {
      {"pipe2", kRunPipeFailed}, {"posix_spawnp", kRunStartFailed}, {"pidfd_open", kRunWaitFailed},
      {"poll", kRunWaitFailed},  {"read", kRunWaitFailed},
  };
  for (const Case& c : cases) {
    OsCalls calls = RealOsCalls();
    const std::string call = c.call;
    if (call == "pipe2") calls.pipe2 = [](int*, int) { return errno = EMFILE, -1; };
    if (call == "posix_spawnp") {
      calls.posix_spawnp = [](pid_t*, const char*, const posix_spawn_file_actions_t*,
                              const posix_spawnattr_t*, char* const*,
                              char* const*) { return EAGAIN; };
    }
    if (call == "pidfd_open") calls.pidfd_open = [](pid_t, unsigned) { return errno = ENOSYS, -1; };
    if (call == "poll") calls.poll = [](struct pollfd*, nfds_t, int) { return errno = ENOMEM, -1; };
    if (call == "read") calls.read = [](int, void*, size_t) -> ssize_t { return errno = EIO, -1; };
    const AreaMark mark = MarkArea();
    StatusWord status;
    {
      ScopedOsCalls scoped(calls);
      status = RunCaptured(Lit("talker"), nullptr, nullptr);
    }
    EXPECT_EQ(status, c.status) << c.call;
    EXPECT_EQ(MarkArea(), mark);
    EXPECT_EQ(OpenDescriptorCount(), descriptors_) << c.call;
    EXPECT_TRUE(NoChildLeft()) << c.call;
  }
}

TEST_F(RunnerTest, StartProgramPassesEveryWordAndReturnsOnceStarted) {
  fakes_.Add("viewer");
  fakes_.Add("exit3", "exit 3");
  const std::string command =
      "viewer   one 'two  words' \"it's\" 4 5 6 7 8 \"-nine\" 'line\nten' \"$(eleven)\"";
  EXPECT_EQ(StartProgram(View(command), kStartNoWait), kOk);
  EXPECT_EQ(fakes_.Args("viewer"),
            (std::vector<std::string>{"one", "two  words", "it's", "4", "5", "6", "7", "8", "-nine",
                                      "line\nten", "$(eleven)"}));
  EXPECT_EQ(LaunchCommand(Lit("viewer 'a b'")), kOk);
  EXPECT_TRUE(AllStartedProgramsEnded());
  EXPECT_EQ(fakes_.Args("viewer"), (std::vector<std::string>{"a b"}));
  EXPECT_EQ(StartProgram(Lit("viewer x"), kStartNoWait | kStartDetached), kOk);
  // Waited for: the program's exit code.
  EXPECT_EQ(StartProgram(Lit("exit3"), 0), 3);
  EXPECT_EQ(StartProgram(Lit("exit3"), kStartNoWait | kStartWaitAnyway), 3);
  EXPECT_EQ(LaunchCommand(Lit("no-such-viewer file")), kRunStartFailed);
  EXPECT_EQ(StartProgram(Lit("no-such-viewer file"), kStartNoWait), kRunStartFailed);
  EXPECT_EQ(Detail(), "no-such-viewer\r\nno-such-viewer");
}

}  // namespace
