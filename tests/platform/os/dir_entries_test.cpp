#include "platform/os/dir_entries.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

#include "platform/os/os_calls.h"
#include "support/temp_dir.h"

namespace {

bool Collect(const DirectoryEntry& e, void* context) {
  (*static_cast<std::map<std::string, DirectoryEntry>*>(context))[e.name] = e;
  return true;
}

std::map<std::string, DirectoryEntry> Find(const std::string& pattern, StatusWord* st) {
  std::map<std::string, DirectoryEntry> found;
  *st = FindEntries(pattern.c_str(), &Collect, &found);
  return found;
}

TEST(DirEntries, WildcardsFollowTheEnumerationRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "README", true},  {"*.*", "a.b", true},     {"*.*", ".", true},
      {"*", "x", true},         {"*.txt", "a.txt", true}, {"*.txt", "a.TXT", false},
      {"a?c", "abc", true},     {"a?c", "ac", false},     {"*b*", "abc", true},
      {"a*c*e", "abcde", true}, {"a*c*e", "abcd", false}, {"", "", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
  }
}

TEST(DirEntries, AttributesTellFilesFromEverythingElse) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "file.txt", "abc"));
  ASSERT_TRUE(WriteFile(dir / ".hidden", ""));
  ASSERT_TRUE(WriteFile(dir / "locked", "x"));
  ASSERT_EQ(chmod((dir / "locked").c_str(), 0444), 0);
  ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  ASSERT_EQ(symlink("file.txt", (dir / "link").c_str()), 0);
  StatusWord st;
  auto found = Find(dir / "*.*", &st);
  ASSERT_EQ(st, kOk);
  struct Expect {
    const char* name;
    std::uint32_t attributes;
  } expected[] = {{"file.txt", kAttrArchive},
                  {".hidden", kAttrArchive | kAttrHidden},
                  {"locked", kAttrArchive | kAttrReadOnly},
                  {"sub", kAttrFolder},
                  {"fifo", 0},
                  {"dangling", 0},
                  {"link", kAttrArchive},
                  {".", kAttrFolder},
                  {"..", kAttrFolder}};
  for (const Expect& e : expected) {
    ASSERT_TRUE(found.count(e.name)) << e.name;
    EXPECT_EQ(found[e.name].attributes, e.attributes) << e.name;
  }
  EXPECT_EQ(found.size(), 9u);
  EXPECT_EQ(found["file.txt"].size, 3u);
}

TEST(DirEntries, APlainPathIsOneQueryNeverAScan) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir / "a.txt", "abc"));
  OsCalls calls = Os();
  calls.opendir = [](const char*) -> DIR* {
    ADD_FAILURE() << "the folder was scanned";
    return nullptr;
  };
  ScopedOsCalls scoped(calls);
  StatusWord st;
  auto found = Find(dir / "a.txt", &st);
  EXPECT_EQ(st, kOk);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found.begin()->first, "a.txt");
  Find(dir / "missing", &st);
  EXPECT_EQ(st, kErrFileNotFound);
  found = Find(dir.path() + "/", &st);  // the folder itself
  EXPECT_EQ(st, kOk);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found.begin()->second.attributes & kAttrFolder, kAttrFolder);
}

TEST(DirEntries, StampsAndSizesAreSixtyFourBits) {
  TempDir dir;
  const std::string path = dir / "big";
  ASSERT_TRUE(WriteFile(path, ""));
  ASSERT_EQ(truncate(path.c_str(), 5LL * 1024 * 1024 * 1024), 0);  // sparse: no disk used
  const std::int64_t year_2040 = 2208988800;                       // 2040-01-01 00:00 UTC
  ASSERT_TRUE(SetModified(path, year_2040));
  StatusWord st;
  auto found = Find(path, &st);
  ASSERT_EQ(st, kOk);
  EXPECT_EQ(found["big"].size, 5ULL * 1024 * 1024 * 1024);
  EXPECT_EQ(found["big"].modified, year_2040);
  EXPECT_EQ(found["big"].accessed, year_2040);
}

// A folder that is not there matches nothing (164); one that is there but
// cannot be read or searched whole says why, never passing for an empty one.
TEST(DirEntries, AMissingFolderMatchesNothingAnUnreadableOneSaysWhy) {
  StatusWord st;
  Find("/nonexistent-folder-for-vantoro/*.*", &st);
  EXPECT_EQ(st, kErrFileNotFound);
  TempDir dir;
  Find(dir / "*.none", &st);
  EXPECT_EQ(st, kErrFileNotFound);
  ASSERT_TRUE(WriteFile(dir / "a.txt", "abc"));
  static int g_errno;
  struct Case {
    const char* what;
    bool on_open;
    int error;
    StatusWord status;
  } cases[] = {
      {"opendir EACCES", true, EACCES, kErrPermissionDenied},
      {"opendir EIO", true, EIO, kFailure},
      {"statx EACCES", false, EACCES, kErrPermissionDenied},
      {"statx EIO", false, EIO, kFailure},
      {"statx ENOENT (removed meanwhile)", false, ENOENT, kErrFileNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_errno = c.error;
    OsCalls calls = Os();
    if (c.on_open) {
      calls.opendir = [](const char*) -> DIR* {
        errno = g_errno;
        return nullptr;
      };
    } else {
      calls.statx = [](int, const char*, int, unsigned int, struct statx*) {
        errno = g_errno;
        return -1;
      };
    }
    ScopedOsCalls scoped(calls);
    Find(dir / "*.*", &st);
    EXPECT_EQ(st, c.status);
  }
}

}  // namespace
