#include "actions/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "runtime/memory/string_area.h"
#include "support/fake_programs.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

using RegistryTest = RuntimeTest;

const std::string kOpenWith =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
const std::string kAppPaths =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

bool MakeProgram(const std::string& path) {
  return WriteFile(path, "#!/bin/sh\n") && chmod(path.c_str(), 0755) == 0;
}

TEST(RegistryPaths, RootsAreFoundExactly) {
  struct Case {
    const char* text;
    std::uint16_t index;
  } cases[] = {
      {"HKEY_CLASSES_ROOT\\x", 1},    {"HKEY_CURRENT_CONFIG", 2},
      {"HKEY_CURRENT_USER\\a\\b", 3}, {"HKEY_LOCAL_MACHINE\\", 4},
      {"HKEY_USERS\\x\\", 5},         {"hkey_local_machine\\x", 0},
      {"HKEY_LOCAL\\x", 0},           {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(RegistryRootIndex(DescFromCString(c.text)), c.index);
}

TEST(RegistryPaths, AParseSplitsRootSubkeyAndValueName) {
  struct Case {
    const char* path;
    bool with_value;
    RegistryKey root;
    const char* subkey;
    const char* value;
    StatusWord status;
  } cases[] = {
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\App Paths\\notepad.exe\\", true, kKeyLocalMachine,
       "SOFTWARE\\App Paths\\notepad.exe", "", kOk},  // the default value
      {"HKEY_CURRENT_USER\\A\\B\\a", true, kKeyCurrentUser, "A\\B", "a", kOk},
      {"HKEY_CURRENT_USER\\A\\B\\a", false, kKeyCurrentUser, "A\\B\\a", "", kOk},
      {"HKEY_USERS\\v", true, kKeyUsers, "", "v", kOk},
      {"HKEY_USERS", true, kKeyUsers, "", "HKEY_USERS", kOk},  // nothing but the root
      {"hkey_users\\A\\v", true, kKeyNone, "A", "v", kRegistryBadRoot},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const RegistryPath r = ParseRegistryPath(DescFromCString(c.path), c.with_value);
    EXPECT_EQ(MarkArea(), mark);
    EXPECT_EQ(r.root, c.root) << c.path;
    EXPECT_EQ(Text(r.subkey), c.subkey) << c.path;
    EXPECT_EQ(Text(r.value_name), c.value) << c.path;
    EXPECT_EQ(r.status, c.status) << c.path;
  }
}

TEST_F(RegistryTest, TheStandInAnswersTheOpenerAndProgramsOnPath) {
  FakePrograms fakes;
  fakes.Add("viewer");
  TempDir other;
  ASSERT_TRUE(WriteFile(other / "plain", "not a program"));  // not executable: passed over
  ASSERT_TRUE(MakeProgram(fakes.folder() + "/plain"));
  ASSERT_EQ(mkdir((other / "viewer").c_str(), 0755), 0);  // a folder is no program
  ScopedEnv path("PATH", (other.path() + ":" + fakes.folder()).c_str());
  struct Case {
    std::string path;
    std::string value;  // empty: no value
  } cases[] = {
      {kOpenWith + ".txt\\OpenWithList\\a", "xdg-open"},
      {kOpenWith + ".tar.gz\\OpenWithList\\a", "xdg-open"},
      {kOpenWith + ".txt\\OpenWithList\\b", ""},
      {kOpenWith + ".txt\\OpenWithList\\", ""},
      {kOpenWith + ".\\OpenWithList\\a", ""},  // no extension
      {kOpenWith + ".txt\\Other\\a", ""},
      {"hkey_current_user\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
       ".txt\\OpenWithList\\a",
       ""},
      {kAppPaths + "viewer\\", fakes.folder() + "/viewer"},
      {kAppPaths + "plain\\", fakes.folder() + "/plain"},
      {kAppPaths + "viewer\\Path", ""},
      {kAppPaths + "viewer", ""},  // the value "viewer" of the App Paths key
      {kAppPaths + "no-such-program\\", ""},
      {kAppPaths + "sub/viewer\\", ""},
      {kAppPaths + "\\", ""},
      {"HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\viewer\\", ""},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Other\\viewer\\", ""},
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = ReadRegistryText(View(c.path));
    if (c.value.empty()) {
      EXPECT_TRUE(FailedWith(mark, r, kFailure)) << c.path;
    } else {
      EXPECT_TRUE(OneNewString(mark, r)) << c.path;
      EXPECT_EQ(Text(r), c.value) << c.path;
    }
    ReleaseArea(mark);
  }
}

TEST_F(RegistryTest, AValuePastOneThousandTwentyFourBytesCannotBeRead) {
  // Folders whose program paths are 511 and 512 characters long: with its
  // terminating NUL as UTF-16, the first takes exactly 1,024 bytes.
  TempDir dir;
  std::string folder = dir.path();
  while (folder.size() < 400) {
    folder += "/" + std::string(100, 'd');
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  }
  std::string fits = folder + "/";
  fits += std::string(511 - fits.size() - 2, 'f');
  ASSERT_EQ(mkdir(fits.c_str(), 0755), 0);
  ASSERT_TRUE(MakeProgram(fits + "/p"));
  const std::string longer = fits + "g";
  ASSERT_EQ(mkdir(longer.c_str(), 0755), 0);
  ASSERT_TRUE(MakeProgram(longer + "/q"));
  ScopedEnv path("PATH", (fits + ":" + longer).c_str());
  const AreaMark mark = MarkArea();
  const StrDesc r = ReadRegistryText(View(kAppPaths + "p\\"));
  EXPECT_TRUE(OneNewString(mark, r));
  EXPECT_EQ(Text(r), fits + "/p");
  EXPECT_EQ(r.len, 511);
  ReleaseArea(mark);
  EXPECT_TRUE(FailedWith(mark, ReadRegistryText(View(kAppPaths + "q\\")), kFailure));
  // The found path itself is not cut short.
  const StrDesc found = FindProgramOnPath(Lit("q"));
  EXPECT_EQ(Text(found), longer + "/q");
  ReleaseArea(mark);
}

TEST_F(RegistryTest, AnEmptyPathEntryIsTheCurrentFolderAndAnUnsetPathTheDefault) {
  TempDir dir;
  ASSERT_TRUE(MakeProgram(dir / "here-only"));
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  {
    ScopedEnv path("PATH", "/nonexistent:");
    const AreaMark mark = MarkArea();
    EXPECT_EQ(Text(FindProgramOnPath(Lit("here-only"))), dir / "here-only");
    ReleaseArea(mark);
  }
  ASSERT_EQ(chdir(cwd), 0);
  ScopedEnv unset("PATH", nullptr);
  const AreaMark mark = MarkArea();
  EXPECT_EQ(Text(FindProgramOnPath(Lit("sh"))), "/bin/sh");
  EXPECT_EQ(Text(FindProgramOnPath(Lit("here-only"))), "");
  ReleaseArea(mark);
}

}  // namespace
