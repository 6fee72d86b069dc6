#include "platform/os/file_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "support/os_faults.h"
#include "support/temp_dir.h"

namespace {

struct Stamp {
  std::uint32_t mode;
  std::int64_t mtime_ns, atime_ns;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return Stamp{0, 0, 0};
  return Stamp{st.st_mode & 07777u, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
               st.st_atim.tv_sec * 1000000000LL + st.st_atim.tv_nsec};
}

// Sets a file's times to the nanosecond.
void SetTimes(const std::string& path, std::int64_t atime_ns, std::int64_t mtime_ns) {
  const struct timespec t[2] = {{atime_ns / 1000000000, atime_ns % 1000000000},
                                {mtime_ns / 1000000000, mtime_ns % 1000000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), t, 0), 0);
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// A source with bytes, mode and times of its own, and an older destination.
class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteFile(src_, new_bytes_));
    ASSERT_EQ(chmod(src_.c_str(), 0640), 0);
    SetTimes(src_, 1500000000123456789LL, 1489573353987654321LL);
    ASSERT_TRUE(WriteFile(dst_, "old bytes"));
    ASSERT_EQ(chmod(dst_.c_str(), 0644), 0);
    SetTimes(dst_, 1400000000000000001LL, 1400000000000000002LL);
    old_ = StampOf(dst_);
    source_ = StampOf(src_);
  }
  // The destination is exactly as it was, and no temporary file is left.
  // (Stamps first: reading a file moves its access time.)
  void ExpectUntouched() {
    EXPECT_EQ(StampOf(dst_), old_);
    EXPECT_EQ(ReadFile(dst_), "old bytes");
    EXPECT_EQ(Names(dir_.path()), (std::set<std::string>{"src.txt", "dst.txt"}));
    old_ = StampOf(dst_);  // the read just now moved its access time
  }
  void ExpectCopied() {
    EXPECT_EQ(StampOf(dst_), source_);  // the source's times from before it was read
    EXPECT_EQ(ReadFile(dst_), new_bytes_);
    EXPECT_EQ(Names(dir_.path()), (std::set<std::string>{"src.txt", "dst.txt"}));
  }
  TempDir dir_;
  const std::string src_ = dir_ / "src.txt", dst_ = dir_ / "dst.txt";
  const std::string new_bytes_ = std::string(300000, 'n') + "end";
  Stamp old_{}, source_{};
};

TEST_F(CopyTest, CopiesBytesModeAndTimesToTheNanosecond) {
  const CopyReport r = CopyReplacing(src_.c_str(), dst_.c_str(), 0);
  EXPECT_EQ(r.status, kOk);
  EXPECT_TRUE(r.replaced);
  ExpectCopied();
  const std::string fresh = dir_ / "new.txt";
  EXPECT_EQ(CopyReplacing(src_.c_str(), fresh.c_str(), 0).status, kOk);  // no destination yet
  EXPECT_EQ(ReadFile(fresh), new_bytes_);
}

// A failure at any call before the rename leaves the destination exactly as
// it was and no temporary file behind; its errno reaches the report.
TEST_F(CopyTest, AFailedCallLeavesTheDestinationAsItWas) {
  struct Case {
    const char* call;
    int error;
    StatusWord status;
  } cases[] = {
      {"copy_file_range", ENOSPC, kFailure},
      {"copy_file_range", EIO, kFailure},
      {"fchmod", EPERM, kErrPermissionDenied},
      {"futimens", EIO, kFailure},
      {"fsync", EIO, kFailure},
      {"close", EIO, kFailure},
      {"rename", EACCES, kErrPermissionDenied},
      {"open", EACCES, kErrPermissionDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.call) + " " + std::strerror(c.error));
    CopyReport r{};
    {
      // "open" fails for the temporary file only: the source opens first.
      ScopedFaults faults(FailNth(c.call, std::string(c.call) == "open" ? 2 : 1, c.error));
      r = CopyReplacing(src_.c_str(), dst_.c_str(), 0);
    }
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.problem, CopyProblem::kSystem);
    EXPECT_EQ(r.error, c.error);
    EXPECT_FALSE(r.replaced);
    ExpectUntouched();
  }
  // Disk full in the middle of the bytes, on the fallback's writes.
  ScopedFaults faults([](const InjectedCall& c) {
    if (std::strcmp(c.call, "copy_file_range") == 0) return EXDEV;
    static int writes = 0;
    return std::strcmp(c.call, "write") == 0 && ++writes == 2 ? ENOSPC : 0;
  });
  EXPECT_EQ(CopyReplacing(src_.c_str(), dst_.c_str(), 0).error, ENOSPC);
  ExpectUntouched();
}

// Where the kernel cannot copy by itself, the bytes go through a buffer,
// from where it stopped, and come out the same.
TEST_F(CopyTest, WithoutKernelCopiesTheFallbackGivesTheSameBytes) {
  for (int error : {EXDEV, EOPNOTSUPP, ENOSYS}) {
    SCOPED_TRACE(std::strerror(error));
    ASSERT_TRUE(WriteFile(dst_, "old"));
    source_ = StampOf(src_);
    {
      ScopedFaults faults(FailNth("copy_file_range", 1, error));
      EXPECT_EQ(CopyReplacing(src_.c_str(), dst_.c_str(), 0).status, kOk);
    }
    ExpectCopied();
  }
}

TEST_F(CopyTest, ASourceThatChangesWhileCopiedIsNotPutInPlace) {
  const std::string src = src_;
  ScopedFaults faults([src, appended = false](const InjectedCall& c) mutable {
    if (std::strcmp(c.call, "copy_file_range") == 0 && !appended) {
      appended = true;
      // Someone writes to the file meanwhile.
      FILE* f = std::fopen(src.c_str(), "a");
      std::fputs("more", f);
      std::fclose(f);
    }
    return 0;
  });
  const CopyReport r = CopyReplacing(src_.c_str(), dst_.c_str(), 0);
  EXPECT_EQ(r.problem, CopyProblem::kSourceChanged);
  EXPECT_EQ(r.status, kErrFileIO);
  ExpectUntouched();
}

// A rewrite of the source in place (same size, a new time) is caught too;
// a copy in place whose folder cannot be flushed says so, and says it is in
// place.
TEST_F(CopyTest, ASameSizeRewriteAndAnUnflushedFolderAreReported) {
  const std::string src = src_;
  const std::string bytes = new_bytes_;
  {
    ScopedFaults faults([src, bytes, done = false](const InjectedCall& c) mutable {
      if (std::strcmp(c.call, "copy_file_range") == 0 && !done) {
        done = true;
        WriteFile(src, std::string(bytes.size(), 'r'));  // same size, new bytes and time
        struct timespec later[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
        utimensat(AT_FDCWD, src.c_str(), later, 0);
      }
      return 0;
    });
    EXPECT_EQ(CopyReplacing(src_.c_str(), dst_.c_str(), 0).problem, CopyProblem::kSourceChanged);
  }
  ExpectUntouched();
  ASSERT_TRUE(WriteFile(src_, new_bytes_));
  source_ = StampOf(src_);
  const std::string folder = dir_.path();
  ScopedFaults faults([folder](const InjectedCall& c) {
    return std::strcmp(c.call, "open") == 0 && c.path != nullptr && folder == c.path ? EIO : 0;
  });
  const CopyReport r = CopyReplacing(src_.c_str(), dst_.c_str(), 0);
  EXPECT_TRUE(r.replaced);
  EXPECT_EQ(r.problem, CopyProblem::kFolderNotFlushed);
  EXPECT_NE(r.status, kOk);
  EXPECT_EQ(ReadFile(dst_), new_bytes_);
}

// Only regular files are copied, never onto themselves, never over a folder
// or a file its owner may not write; a link at the destination is replaced,
// never written through. Each refusal is known before anything is touched.
TEST_F(CopyTest, RefusalsTouchNothing) {
  const std::string fifo = dir_ / "fifo", folder = dir_ / "folder", link = dir_ / "link";
  const std::string hard = dir_ / "hard", alias = dir_ / "alias";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(::link(src_.c_str(), hard.c_str()), 0);
  ASSERT_EQ(symlink(dir_.path().c_str(), alias.c_str()), 0);
  struct Case {
    std::string from, to;
    CopyProblem problem;
    StatusWord status;
  } cases[] = {
      {fifo, dst_, CopyProblem::kSourceNotRegular, kErrBadInputData},
      {folder, dst_, CopyProblem::kSourceNotRegular, kErrBadInputData},
      {src_, folder, CopyProblem::kDestinationFolder, kErrBadInputData},
      {src_, fifo, CopyProblem::kDestinationSpecial, kErrBadInputData},
      {src_, src_, CopyProblem::kSameFile, kErrBadInputData},
      {src_, hard, CopyProblem::kSameFile, kErrBadInputData},
      {src_, alias + "/src.txt", CopyProblem::kSameFile, kErrBadInputData},
      {dir_ / "missing", dst_, CopyProblem::kSystem, kErrFileNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from + " -> " + c.to);
    for (const CopyReport& r : {CheckCopy(c.from.c_str(), c.to.c_str(), 0),
                                CopyReplacing(c.from.c_str(), c.to.c_str(), 0)}) {
      EXPECT_EQ(r.problem, c.problem);
      EXPECT_EQ(r.status, c.status);
      EXPECT_FALSE(r.replaced);
    }
  }
  EXPECT_EQ(ReadFile(src_), new_bytes_);
  EXPECT_EQ(ReadFile(dst_), "old bytes");
  EXPECT_EQ(Names(dir_.path()),
            (std::set<std::string>{"src.txt", "dst.txt", "fifo", "folder", "hard", "alias"}));

  // Read-only: refused, unless the caller allows it (its own backup copies).
  ASSERT_EQ(chmod(dst_.c_str(), 0444), 0);
  const CopyReport read_only = CopyReplacing(src_.c_str(), dst_.c_str(), 0);
  EXPECT_EQ(read_only.problem, CopyProblem::kDestinationReadOnly);
  EXPECT_EQ(read_only.status, kErrPermissionDenied);
  EXPECT_EQ(ReadFile(dst_), "old bytes");
  EXPECT_EQ(CopyReplacing(src_.c_str(), dst_.c_str(), kCopyReplaceReadOnly).status, kOk);
  EXPECT_EQ(ReadFile(dst_), new_bytes_);

  // A link at the destination: the link is replaced, what it named stays.
  const std::string named = dir_ / "named";
  ASSERT_TRUE(WriteFile(named, "named bytes"));
  ASSERT_EQ(symlink(named.c_str(), link.c_str()), 0);
  EXPECT_EQ(CopyReplacing(src_.c_str(), link.c_str(), 0).status, kOk);
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(ReadFile(link), new_bytes_);
  EXPECT_EQ(ReadFile(named), "named bytes");
}

// Killed at any platform call, the destination holds its old bytes or the
// whole new copy, never a mix and never nothing.
TEST_F(CopyTest, KilledAtAnyCallTheDestinationIsOldOrNew) {
  int n = 1;
  for (; n < 200; ++n) {
    ASSERT_TRUE(WriteFile(dst_, "old bytes"));
    const bool killed =
        KilledAtCall(n, [this] { (void)CopyReplacing(src_.c_str(), dst_.c_str(), 0); });
    const std::string now = ReadFile(dst_);
    EXPECT_TRUE(now == "old bytes" || now == new_bytes_) << "killed at call " << n;
    // A temporary file a kill left behind is never taken for the destination.
    for (const std::string& name : Names(dir_.path())) {
      if (name != "src.txt" && name != "dst.txt") std::filesystem::remove(dir_ / name);
    }
    if (!killed) break;
  }
  EXPECT_GT(n, 5);    // the copy took several calls, each one a kill point
  EXPECT_LT(n, 200);  // and it finished once no kill came
  EXPECT_EQ(ReadFile(dst_), new_bytes_);
}

}  // namespace
