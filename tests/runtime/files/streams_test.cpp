#include "runtime/files/streams.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint32_t kStreamsError(StatusWord code) {
  return std::uint32_t{code} | (std::uint32_t{kSubStreams} << 16);
}

// A folder per test; afterwards every file slot must be empty again, so a
// whole-file operation that forgets to close fails its test.
class StreamTest : public RuntimeTest {
 protected:
  void TearDown() override {
    if (g_stream_table.filled) {
      for (StreamSlot s = kFirstFileSlot; s < kStreamSlotCount; ++s) {
        EXPECT_EQ(g_stream_table.fd[s], kEmptySlot) << "slot " << s << " left open";
        CloseStream(s);
      }
    }
    RuntimeTest::TearDown();
  }

  std::string Path(const std::string& name) const { return dir_ / name; }

  // The names in the test's folder.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      names.insert(e.path().filename().string());
    }
    return names;
  }

  TempDir dir_;
};

// The lines of a file as ReadStreamText gives them, each checked to be one
// new string, and the end of data checked to leave nothing.
std::vector<std::string> LinesOf(const std::string& path) {
  std::vector<std::string> lines;
  const StreamSlot slot = OpenStream(View(path), kOpenRead);
  EXPECT_GE(slot, kFirstFileSlot);
  const AreaMark mark = MarkArea();
  for (int guard = 0; guard < 100; ++guard) {
    const StrDesc line = ReadStreamText(slot, kCurrentPosition, kReadLine);
    if (line.ptr == nullptr) {
      EXPECT_TRUE(FailedWith(mark, line, kErrDiskIO));
      break;
    }
    EXPECT_TRUE(OneNewString(mark, line));
    lines.push_back(Text(line));
    ReleaseArea(mark);
  }
  CloseStream(slot);
  return lines;
}

// A path of exactly length bytes below folder (folders of 200 bytes on the way).
std::string PathOfLength(const std::string& folder, std::size_t length) {
  std::string path = folder;
  while (length - path.size() - 1 > 200) {
    path += "/" + std::string(200, 'd');
    mkdir(path.c_str(), 0755);
  }
  return path + "/" + std::string(length - path.size() - 1, 'f');
}

// Injected failures: the real call for the first g_good_calls calls, then
// errno g_errno. ShortWrite first writes 2 bytes of what it is asked.
int g_good_calls = 0;
int g_errno = 0;
bool Fails() { return g_good_calls-- <= 0; }
ssize_t FailingWrite(int fd, const void* b, size_t n) {
  if (!Fails()) return RealOsCalls().write(fd, b, n);
  errno = g_errno;
  return -1;
}
ssize_t ShortWrite(int fd, const void* b, size_t n) {
  if (g_good_calls-- > 0) return RealOsCalls().write(fd, b, n < 2 ? n : 2);
  errno = ENOSPC;
  return -1;
}
int FailingFsync(int fd) {
  if (!Fails()) return RealOsCalls().fsync(fd);
  errno = g_errno;
  return -1;
}
int FailingRename(const char* from, const char* to) {
  if (!Fails()) return RealOsCalls().rename(from, to);
  errno = g_errno;
  return -1;
}
ssize_t FailingRead(int fd, void* b, size_t n) {
  if (!Fails()) return RealOsCalls().read(fd, b, n);
  errno = g_errno;
  return -1;
}
// Opens that could not create fail as if the disk had failed.
int OpenOnlyCreating(const char* path, int flags, mode_t mode) {
  if ((flags & O_CREAT) == 0) {
    errno = EIO;
    return -1;
  }
  return RealOsCalls().open(path, flags, mode);
}

TEST_F(StreamTest, BadAndMissingNamesFailWithTheirStatusRecorded) {
  const std::string p383 = PathOfLength(dir_.path(), 383);
  const std::string p384 = PathOfLength(dir_.path(), 384);
  ASSERT_EQ(p383.size(), 383u);
  ASSERT_EQ(p384.size(), 384u);
  const std::string with_nul = Path("a") + std::string(1, '\0') + "b";
  ASSERT_TRUE(WriteFile(Path("a"), "x"));
  struct Case {
    std::string name;
    std::uint16_t flags;
    StatusWord status;
  } cases[] = {
      {"", kOpenReadWrite, kErrBadInputData},
      {p384, kOpenReadWrite, kErrBadInputData},
      {with_nul, kOpenReadWrite, kErrBadInputData},  // would open "a"
      {Path("missing"), kOpenNoUpdate, kErrFileNotFound},
      {Path("missing"), kOpenRead, kErrFileNotFound},
      {dir_.path(), kOpenNoUpdate, kErrFileNotFound},  // a folder is no file
  };
  for (const Case& c : cases) {
    ResetErrorState();
    EXPECT_EQ(OpenStream(View(c.name), c.flags), kNoHandle) << c.name.size();
    EXPECT_EQ(LastError(), kStreamsError(c.status)) << c.name.size();
    ResetErrorState();
    EXPECT_EQ(OpenStream(View(c.name), c.flags | kOpenQuiet), c.status);
    EXPECT_EQ(LastError(), 0u);
  }
  EXPECT_EQ(access(p384.c_str(), F_OK), -1);
  EXPECT_EQ(access(Path("missing").c_str(), F_OK), -1);
  // The error report names the file.
  const std::string log = Text(GetVariable(kGroupMessages, kItemDetailLog));
  EXPECT_EQ(log.substr(log.size() - dir_.path().size()), dir_.path());
  EXPECT_NE(log.find(Path("missing")), std::string::npos);

  // 383 bytes are accepted, and without 0x08 a missing file is created empty.
  const StreamSlot slot = OpenStream(View(p383), kOpenReadWrite);
  ASSERT_GE(slot, kFirstFileSlot);
  EXPECT_EQ(StreamSize(slot), 0u);
  CloseStream(slot);
  EXPECT_EQ(ReadFile(p383), "");
}

TEST_F(StreamTest, ModesReadWriteTruncateAndAppendAsTheirLettersSay) {
  const char* kMissing = nullptr;
  struct Case {
    std::uint16_t flags;
    const char* before;
    StreamPosition position;
    const char* data;
    bool written;
    std::string after;
  } cases[] = {
      {kOpenReadWrite, "hello", 0, "J", true, "Jello"},  // rb+: kept, written in place
      {kOpenReadWrite, "hello", kEndOfFile, "!", true, "hello!"},
      {kOpenReadWrite, "hello", 7, "!", true, std::string("hello\0\0!", 8)},
      {kOpenReadWrite, kMissing, 0, "new", true, "new"},
      {kOpenTruncate, "hello", 0, "J", true, "J"},     // wb+: emptied
      {kOpenAppend, "hello", 0, "J", true, "helloJ"},  // ab+: always at the end
      {kOpenAppend, kMissing, 0, "a", true, "a"},
      {kOpenRead, "hello", 0, "J", false, "hello"},  // rb: read-only
      {kOpenNoUpdate, "hello", 0, "J", false, "hello"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = Path("f" + std::to_string(n++));
    if (c.before != nullptr) {
      ASSERT_TRUE(WriteFile(path, std::string(c.before)));
    }
    const StreamSlot slot = OpenStream(View(path), c.flags);
    ASSERT_GE(slot, kFirstFileSlot) << c.flags;
    const auto len = static_cast<std::uint16_t>(std::strlen(c.data));
    EXPECT_EQ(WriteStream(slot, c.position, c.data, len), c.written ? len : kStreamFailed);
    // Every one of these modes also reads, from any position.
    char buffer[64];
    const std::uint16_t got = ReadStream(slot, 0, sizeof buffer, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, got == kStreamFailed ? 0 : got), c.after) << c.flags;
    CloseStream(slot);
    EXPECT_EQ(ReadFile(path), c.after) << c.flags;
  }
}

TEST_F(StreamTest, ExistingFileIsNeverEmptiedWhenItsOpenFails) {
  ASSERT_TRUE(WriteFile(Path("keep"), "precious"));
  OsCalls calls = RealOsCalls();
  calls.open = &OpenOnlyCreating;
  {
    ScopedOsCalls scoped(calls);
    EXPECT_EQ(OpenStream(View(Path("keep")), kOpenReadWrite), kNoHandle);
    EXPECT_EQ(WriteFileAll(View(Path("keep")), kEndOfFile, "!", 1), kErrFileIO);
  }
  EXPECT_EQ(ReadFile(Path("keep")), "precious");
}

TEST_F(StreamTest, ThirtyEighthOpenFindsNoSlot) {
  ASSERT_TRUE(WriteFile(Path("f"), "x"));
  std::vector<StreamSlot> slots;
  for (int i = 0; i < 37; ++i) slots.push_back(OpenStream(View(Path("f")), kOpenRead));
  for (int i = 0; i < 37; ++i) EXPECT_EQ(slots[i], kFirstFileSlot + i);
  EXPECT_EQ(OpenStream(View(Path("f")), kOpenRead), kNoHandle);
  EXPECT_EQ(LastError(), kStreamsError(kErrDataOutBound));
  // The whole-file operations need a slot too, and say so.
  EXPECT_EQ(FileSize(View(Path("f"))), 0u);
  EXPECT_EQ(CompareFileContents(View(Path("f")), View(Path("f"))), kErrFileNotFound);
  for (StreamSlot s : slots) CloseStream(s);
  EXPECT_EQ(FileSize(View(Path("f"))), 1u);
  // The standard streams are never closed; the console takes their slots.
  EXPECT_EQ(CloseStream(kSlotStdout), kOk);
  EXPECT_EQ(g_stream_table.fd[kSlotStdout], STDOUT_FILENO);
  EXPECT_EQ(OpenStream(Lit("CON"), kOpenTruncate), kSlotStdout);
  EXPECT_EQ(OpenStream(Lit("CON"), kOpenRead), kSlotStdin);
  EXPECT_EQ(StreamSize(kSlotStdin), 0xFFFFu);
}

TEST_F(StreamTest, LinesEndAtCrLfLoneCrOrLoneLf) {
  const std::string wide(511, 'w');  // its CR is the last byte of a 512-byte step
  const std::string long_line(1500, 'z');
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"x\r\n\r\ny\r\n", {"x", "", "y"}},  // an empty line is a line
      {"a\r\n\x1A", {"a"}},                // a closing Ctrl-Z is no line
      {"\x1A", {}},
      {"a\x1A\r\n", {"a\x1A"}},
      {"", {}},
      {"\n", {""}},
      {"\r\r\n", {"", ""}},
      {"last\r", {"last"}},
      {wide + "\r\ny", {wide, "y"}},  // CR LF split between two steps
      {long_line + "\r\nq", {long_line, "q"}},
      {std::string("n\0l\r\n", 5), {std::string("n\0l", 3)}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFile(Path("lines"), c.bytes));
    EXPECT_EQ(LinesOf(Path("lines")), c.lines) << c.bytes.size();
  }
}

TEST_F(StreamTest, ReadsNeverPassTheCapacity) {
  ASSERT_TRUE(WriteFile(Path("f"), "01234567\r\n0123456789\r\nend"));
  const StreamSlot slot = OpenStream(View(Path("f")), kOpenRead);
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(ReadStream(slot, kCurrentPosition, kReadLine, buffer, 8), 8);  // fits exactly
  EXPECT_EQ(std::string(buffer, 8), "01234567");
  EXPECT_EQ(ReadStream(slot, kCurrentPosition, kReadLine, buffer, 8), kStreamFailed);
  EXPECT_EQ(std::string(buffer + 8, 8), "########");
  EXPECT_EQ(ReadStream(slot, 0, 20, buffer, 8), 8);  // a block stops when the buffer is full
  EXPECT_EQ(std::string(buffer + 8, 8), "########");
  EXPECT_EQ(ReadStream(slot, 22, 10, buffer, 8), 3);  // ... or at the end of the file
  EXPECT_EQ(std::string(buffer, 3), "end");
  EXPECT_EQ(ReadStream(slot, 25, 10, buffer, 8), kStreamFailed);  // end of data
  EXPECT_EQ(ReadStream(slot, 0, 0, buffer, 8), 0);
  CloseStream(slot);
  EXPECT_EQ(ReadStream(slot, 0, 4, buffer, 8), kStreamFailed);  // closed
  EXPECT_EQ(ReadStream(kStreamSlotCount, 0, 4, buffer, 8), kStreamFailed);
}

TEST_F(StreamTest, PositionsAbove65535ReachPastTheFirst64KiB) {
  std::string bytes(200000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 26);
  bytes.replace(150000, 6, "\r\nline");
  ASSERT_TRUE(WriteFile(Path("big"), bytes));
  EXPECT_EQ(FileSize(View(Path("big"))), 200000u);
  const StreamSlot slot = OpenStream(View(Path("big")), kOpenRead);
  EXPECT_EQ(StreamSize(slot), 200000u);
  char buffer[100];
  ASSERT_EQ(ReadStream(slot, 70000, 100, buffer, 100), 100);
  EXPECT_EQ(std::string(buffer, 100), bytes.substr(70000, 100));
  ASSERT_EQ(ReadStream(slot, kCurrentPosition, 100, buffer, 100), 100);
  EXPECT_EQ(std::string(buffer, 100), bytes.substr(70100, 100));
  const AreaMark mark = MarkArea();
  const StrDesc line = ReadStreamText(slot, 149990, kReadLine);
  EXPECT_TRUE(OneNewString(mark, line));
  EXPECT_EQ(Text(line), bytes.substr(149990, 10));
  ReleaseArea(mark);
  const StrDesc block = ReadStreamText(slot, kCurrentPosition, 4);
  EXPECT_EQ(Text(block), "line");
  ReleaseArea(mark);
  CloseStream(slot);
  ASSERT_EQ(ReadFileBlock(View(Path("big")), 199950, kToEndOfFile, buffer, 100), 50);
  EXPECT_EQ(std::string(buffer, 50), bytes.substr(199950));
  const StrDesc text = ReadFileText(View(Path("big")), 100000, 1000);
  EXPECT_TRUE(OneNewString(mark, text));
  EXPECT_EQ(Text(text), bytes.substr(100000, 1000));
  ReleaseArea(mark);
}

TEST_F(StreamTest, FilesOf4GiBAndMoreKeepTheirSize) {
  const std::uint64_t huge = (std::uint64_t{1} << 32) + 1;
  ASSERT_TRUE(WriteFile(Path("huge"), ""));
  ASSERT_TRUE(WriteFile(Path("one"), std::string(1, '\0')));
  if (truncate(Path("huge").c_str(), static_cast<off_t>(huge)) != 0) {
    GTEST_SKIP() << "no sparse files here";
  }
  EXPECT_EQ(FileSize(View(Path("huge"))), 0xFFFFFFFFu);
  // Sizes equal modulo 2^32 are still different sizes.
  EXPECT_EQ(CompareFileContents(View(Path("huge")), View(Path("one"))), kDifferentContents);
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(
      FailedWith(mark, ReadFileText(View(Path("huge")), 0, kToEndOfFile), kErrFileOutBound));
  char buffer[8];
  // The rest is no 16-bit count, and must not turn into a line read.
  EXPECT_EQ(ReadFileBlock(View(Path("huge")), 0, kToEndOfFile, buffer, 8), kStreamFailed);
  EXPECT_EQ(ReadFileBlock(View(Path("huge")), 0xFFFFFFF0u, 8, buffer, 8), 8);
}

TEST_F(StreamTest, ReadFileTextReadsWholeFilesOfUpTo65534Bytes) {
  std::string bytes(65535, 'x');
  bytes[0] = '\r';
  bytes[65533] = 'E';
  ASSERT_TRUE(WriteFile(Path("max"), bytes.substr(0, 65534)));
  ASSERT_TRUE(WriteFile(Path("over"), bytes));
  ASSERT_TRUE(WriteFile(Path("empty"), ""));
  ASSERT_TRUE(WriteFile(Path("small"), "0123456789"));
  const AreaMark mark = MarkArea();
  const StrDesc text = ReadFileText(View(Path("max")), 0, kToEndOfFile);
  EXPECT_TRUE(OneNewString(mark, text));
  EXPECT_EQ(Text(text), bytes.substr(0, 65534));
  ReleaseArea(mark);
  struct Case {
    const char* name;
    StreamPosition position;
    std::uint16_t count;
    const char* text;  // null: fails with status
    StatusWord status;
  } cases[] = {
      {"over", 0, kToEndOfFile, nullptr, kErrFileOutBound},
      {"over", 1, kToEndOfFile, "", 0},  // the rest is 65534 bytes (checked for size only)
      {"empty", 0, kToEndOfFile, "", 0},
      {"small", 4, kToEndOfFile, "456789", 0},
      {"small", 20, kToEndOfFile, "", 0},
      {"small", 2, 3, "234", 0},
      {"small", 8, 3, nullptr, kFailure},  // fewer bytes than asked
      {"missing", 0, 0, "", 0},            // nothing asked, nothing opened
      {"missing", 0, kToEndOfFile, nullptr, kErrFileNotFound},
  };
  for (const Case& c : cases) {
    const StrDesc r = ReadFileText(View(Path(c.name)), c.position, c.count);
    if (c.text == nullptr) {
      EXPECT_TRUE(FailedWith(mark, r, c.status)) << c.name << " " << c.position;
    } else {
      EXPECT_TRUE(OneNewString(mark, r)) << c.name << " " << c.position;
      if (std::strcmp(c.name, "over") == 0) {
        EXPECT_EQ(r.len, 65534);
      } else {
        EXPECT_EQ(Text(r), c.text);
      }
    }
    ReleaseArea(mark);
  }
  FillArea(1000);
  const AreaMark full = MarkArea();
  EXPECT_TRUE(
      FailedWith(full, ReadFileText(View(Path("small")), 0, kToEndOfFile), kErrOutOfMemory));
  ReleaseArea(mark);
}

TEST_F(StreamTest, ReadTextFileJoinedTurnsLineEndsIntoTheSeparator) {
  struct Case {
    std::string bytes;
    const char* joined;
  } cases[] = {
      {"\"a\",\"b\"\r\n\"c\",\"d\"\r\n\"e\",\"f\"\r\n", "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\","},
      {"a\rb\nc", "a\rb,c"},  // a lone CR stays
      {"", ""},
  };
  const AreaMark mark = MarkArea();
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFile(Path("historic.txt"), c.bytes));
    const StrDesc r = ReadTextFileJoined(View(Path("historic.txt")), Lit(","));
    EXPECT_TRUE(OneNewString(mark, r));
    EXPECT_EQ(Text(r), c.joined);
    ReleaseArea(mark);
  }
  EXPECT_TRUE(
      FailedWith(mark, ReadTextFileJoined(View(Path("missing")), Lit(",")), kErrFileNotFound));
}

TEST_F(StreamTest, CompareFileContentsByteForByte) {
  std::string big(3000, 'b');
  std::string big_late = big;
  big_late[2500] = 'c';
  struct Case {
    std::string first;
    std::string second;
    StatusWord result;
  } cases[] = {
      {"same bytes", "same bytes", kSameContents},
      {"abcdef", "abcdeX", kDifferentContents},  // only the last byte differs
      {"", "", kSameContents},
      {"abc", "abcd", kDifferentContents},
      {big, big, kSameContents},  // several chunks
      {big, big_late, kDifferentContents},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFile(Path("a"), c.first));
    ASSERT_TRUE(WriteFile(Path("b"), c.second));
    EXPECT_EQ(CompareFileContents(View(Path("a")), View(Path("b"))), c.result) << c.first;
  }
  EXPECT_EQ(CompareFileContents(View(Path("missing")), View(Path("a"))), kErrFileNotFound);
  EXPECT_EQ(CompareFileContents(View(Path("a")), View(Path("missing"))), kErrFileNotFound);
  // A failing disk is no verdict either way.
  ASSERT_TRUE(WriteFile(Path("b"), big));
  OsCalls calls = RealOsCalls();
  calls.read = &FailingRead;
  g_good_calls = 3;
  g_errno = EIO;
  ScopedOsCalls scoped(calls);
  EXPECT_EQ(CompareFileContents(View(Path("a")), View(Path("b"))), kErrStrOutBound);
}

TEST_F(StreamTest, ReplacingWriteSwapsInTheWholeNewFile) {
  ASSERT_TRUE(WriteFile(Path("h.txt"), "old content that is longer"));
  ASSERT_EQ(chmod(Path("h.txt").c_str(), 0640), 0);
  EXPECT_EQ(WriteFile(View(Path("h.txt")), kReplaceFile, "new", 3), 3);
  EXPECT_EQ(ReadFile(Path("h.txt")), "new");
  struct stat st;
  ASSERT_EQ(stat(Path("h.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // The history's pattern: the first line replaces, the others append.
  EXPECT_EQ(WriteFileAll(View(Path("h.txt")), kEndOfFile, "\r\nmore", 6), kOk);
  EXPECT_EQ(ReadFile(Path("h.txt")), "new\r\nmore");
  EXPECT_EQ(WriteFileAll(View(Path("fresh")), kReplaceFile, "x", 1), kOk);
  EXPECT_EQ(ReadFile(Path("fresh")), "x");
  const std::string full(65535, 'f');  // a count that looks like a failure
  EXPECT_EQ(WriteFileAll(View(Path("fresh")), kReplaceFile, full.data(), 65535), kOk);
  EXPECT_EQ(ReadFile(Path("fresh")), full);
  EXPECT_EQ(Names(), (std::set<std::string>{"fresh", "h.txt"}));
}

TEST_F(StreamTest, FailedReplacingWriteLeavesTheOldFileWhole) {
  const std::string old = "the old bytes\r\nsecond line";
  const std::string data(2000, 'n');
  struct Case {
    const char* what;
    int good_calls;
    int error;
  } cases[] = {
      {"write", 0, ENOSPC}, {"write", 2, EIO},     {"short", 1, ENOSPC},
      {"fsync", 0, EIO},    {"rename", 0, EACCES},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFile(Path("h.txt"), old));
    OsCalls calls = RealOsCalls();
    const std::string what = c.what;
    if (what == "write") calls.write = &FailingWrite;
    if (what == "short") calls.write = &ShortWrite;
    if (what == "fsync") calls.fsync = &FailingFsync;
    if (what == "rename") calls.rename = &FailingRename;
    for (std::uint16_t length : {std::uint16_t{2000}, std::uint16_t{65535}}) {
      const std::string bytes = length == 2000 ? data : std::string(65535, 'm');
      ScopedOsCalls scoped(calls);
      g_good_calls = c.good_calls;
      g_errno = c.error;
      EXPECT_EQ(WriteFile(View(Path("h.txt")), kReplaceFile, bytes.data(), length), kStreamFailed)
          << c.what;
      g_good_calls = c.good_calls;
      EXPECT_EQ(WriteFileAll(View(Path("h.txt")), kReplaceFile, bytes.data(), length), kErrFileIO)
          << c.what << " " << length;
    }
    EXPECT_EQ(ReadFile(Path("h.txt")), old) << c.what;
    EXPECT_EQ(Names(), std::set<std::string>{"h.txt"}) << c.what;  // no temporary file left
  }
  // Appends report a full disk too.
  OsCalls calls = RealOsCalls();
  calls.write = &ShortWrite;
  ScopedOsCalls scoped(calls);
  g_good_calls = 1;
  EXPECT_EQ(WriteFileAll(View(Path("h.txt")), kEndOfFile, "abcdef", 6), kErrFileIO);
}

TEST_F(StreamTest, WritesOfNothing) {
  ASSERT_TRUE(WriteFile(Path("gone"), "x"));
  ASSERT_TRUE(WriteFile(Path("stays"), "y"));
  EXPECT_EQ(WriteFile(View(Path("gone")), kReplaceFile, "", 0), kStreamFailed);
  EXPECT_EQ(ReadFile(Path("gone")), "<missing>");
  EXPECT_EQ(WriteFile(View(Path("stays")), 0, "", 0), kStreamFailed);
  EXPECT_EQ(WriteFile(View(Path("stays")), kReplaceFile, nullptr, 5), kStreamFailed);
  EXPECT_EQ(ReadFile(Path("stays")), "y");
  EXPECT_EQ(Names(), std::set<std::string>{"stays"});
}

TEST_F(StreamTest, ReadLinesToQueueAppendsEveryLine) {
  ASSERT_TRUE(WriteFile(Path("lines"), "0001 one\r\n\r\n0003 three"));
  ASSERT_EQ(PushVariable(kGroupLineQueue, Lit("earlier")), kOk);
  const AreaMark mark = MarkArea();
  EXPECT_EQ(ReadLinesToQueue(View(Path("lines"))), 3);
  EXPECT_EQ(MarkArea(), mark);
  std::vector<std::string> queued;
  for (std::uint16_t i = 0; i < VariableCount(kGroupLineQueue); ++i) {
    queued.push_back(Text(GetVariable(kGroupLineQueue, i)));
  }
  EXPECT_EQ(queued, (std::vector<std::string>{"earlier", "0001 one", "", "0003 three"}));

  // No lines, no file: 0xFFFF, and the quiet open records nothing.
  ASSERT_TRUE(WriteFile(Path("empty"), ""));
  EXPECT_EQ(ReadLinesToQueue(View(Path("empty"))), kStreamFailed);
  EXPECT_EQ(ReadLinesToQueue(View(Path("missing"))), kStreamFailed);
  EXPECT_EQ(ReadLinesToQueue(Lit("")), kStreamFailed);
  EXPECT_EQ(LastError(), 0u);

  // A read that fails half-way takes its lines out again.
  std::string many;
  for (int i = 0; i < 100; ++i) many += "line " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(WriteFile(Path("many"), many));
  OsCalls calls = RealOsCalls();
  calls.read = &FailingRead;
  {
    ScopedOsCalls scoped(calls);
    g_good_calls = 2;
    g_errno = EIO;
    EXPECT_EQ(ReadLinesToQueue(View(Path("many"))), kStreamFailed);
  }
  EXPECT_EQ(VariableCount(kGroupLineQueue), 4);
}

TEST_F(StreamTest, ReadLinesToQueueLooksInTheStartFolder) {
  // A start folder whose name holds a comma is still one folder.
  const std::string start = Path("start,folder");
  ASSERT_EQ(mkdir(start.c_str(), 0755), 0);
  const std::string name = "vantoro-streams-test-module.msj";
  ASSERT_TRUE(WriteFile(start + "/" + name, "0001 hello\n0002 bye\n"));
  ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, View(start)), kOk);
  EXPECT_EQ(ReadLinesToQueue(View(name)), 2);
  EXPECT_EQ(Text(TopVariable(kGroupLineQueue)), "0001 hello");
  // Only a bare name is looked for elsewhere.
  EXPECT_EQ(ReadLinesToQueue(View("sub/" + name)), kStreamFailed);
  EXPECT_EQ(VariableCount(kGroupLineQueue), 2);
  EXPECT_EQ(LastError(), 0u);
  // A file that exists but cannot be opened is recorded.
  ASSERT_EQ(chmod((start + "/" + name).c_str(), 0), 0);
  if (geteuid() != 0) {
    EXPECT_EQ(ReadLinesToQueue(View(name)), kStreamFailed);
    EXPECT_EQ(LastError(), kStreamsError(kErrFileNotFound));
  }
}

}  // namespace
