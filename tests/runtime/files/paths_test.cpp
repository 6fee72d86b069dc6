#include "runtime/files/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

using PathTest = RuntimeTest;

// Runs a text operation and checks the area idiom; returns its text.
template <typename Fn>
std::string Built(Fn fn) {
  const AreaMark mark = MarkArea();
  const StrDesc r = fn();
  EXPECT_TRUE(OneNewString(mark, r));
  std::string text = Text(r);
  ReleaseArea(mark);
  return text;
}

TEST_F(PathTest, JoinPathKeepsBothPartsBytes) {
  struct Case {
    const char* first;
    const char* second;
    const char* joined;
  } cases[] = {
      {"/home/u", "x", "/home/u/x"},
      {"", "x", "x"},
      {"/", "x", "/x"},
      {"a/", "/b", "a//b"},
      {"a", "", "a"},
      {"C:\\dir", "b\\c", "C:\\dir/b\\c"},
      {"'quoted", "it's", "'quoted/it's"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Built([&] { return JoinPath(DescFromCString(c.first), DescFromCString(c.second)); }),
              c.joined);
  }
  EXPECT_EQ(Built([] { return JoinWithDot(Lit("name"), Lit("txt")); }), "name.txt");
  EXPECT_EQ(Built([] { return JoinWithDot(Lit("name"), Lit("")); }), "name");
}

TEST_F(PathTest, PathPartsOnPosixPaths) {
  struct Case {
    const char* path;
    std::uint16_t parts;
    const char* result;
  } cases[] = {
      {"/dir/sub/file.tar.gz", kPartDriveFolder, "/dir/sub"},
      {"/dir/sub/file.tar.gz", kPartName, "file.tar"},
      {"/dir/sub/file.tar.gz", kPartExtension, "gz"},
      {"/dir/sub/file.tar.gz", kPartNameExtension, "file.tar.gz"},
      {"/dir/sub/file.tar.gz", kPartFolder | kPartName, "/dir/sub/file.tar"},
      {"/dir/sub/file.tar.gz", kPartDrive, ""},
      {"dir.d/file", kPartExtension, ""},  // the dot belongs to a folder
      {"dir.d/file", kPartName, "file"},
      {"/file.txt", kPartDriveFolder, "/"},  // a file in the root folder
      {"/file.txt", kPartFolder | kPartName, "/file"},
      {"file.txt", kPartDriveFolder, ""},
      {"C:file", kPartName, "C:file"},  // ":" and "\" are name characters
      {"a\\b.c", kPartName, "a\\b"},
      {"'x/y'.z", kPartName, "y'"},  // quotes are ordinary characters in paths
      {"Don't Stop.mp3", kPartNameExtension, "Don't Stop.mp3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Built([&] { return PathPart(DescFromCString(c.path), c.parts); }), c.result)
        << c.path << " " << c.parts;
  }
}

TEST_F(PathTest, RelativePathsClimbButNeverAboveTheRoot) {
  struct Case {
    const char* base;
    const char* relative;
    const char* result;
  } cases[] = {
      {"/a/b", "../data", "/a/data"}, {"/a", "../../x", "/x"}, {"", "Backups", "Backups"},
      {"/a/b", "./c", "/a/b/c"},      {"/a/b", "..", "/a"},    {"/a/b", "x/./y", "/a/b/x/y"},
      {"/a", "..x", "/a/..x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Built([&] {
                return ResolveRelativePath(DescFromCString(c.base), DescFromCString(c.relative));
              }),
              c.result)
        << c.base << " + " << c.relative;
  }
}

TEST_F(PathTest, CommandLineWordsAndApplicationFolders) {
  ASSERT_EQ(
      SetVariable(kGroupSettings, kItemCommandLine, Lit("\"/opt/my tools/vantoro\" -x second")),
      kOk);
  ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, Lit("/work/start")), kOk);
  EXPECT_EQ(Built([] { return CommandLineWord(0); }), "/opt/my tools/vantoro");
  EXPECT_EQ(Built([] { return CommandLineWord(kWordFolderOnly); }), "/opt/my tools");
  EXPECT_EQ(Built([] { return CommandLineWord(kWordSecond); }), "");  // an option
  EXPECT_FALSE(ProgramDriveFOrLater());

  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  const std::string here = cwd;
  const std::string parent = here.substr(0, here.rfind('/'));
  EXPECT_EQ(Built([] { return ApplicationFolder(kFolderRunPath); }), "/opt/my tools");
  EXPECT_EQ(Built([] { return ApplicationFolder(kFolderDefault); }), "/work/start");
  EXPECT_EQ(Built([] { return ApplicationFolder(kFolderData); }),
            (parent.empty() ? "" : parent) + "/data");
  EXPECT_EQ(Built([] { return ApplicationFolder(kFolderDocs); }), here);
  EXPECT_EQ(Built([] { return ApplicationFolder(kFolderHelp); }), "/work/start/Help");
  EXPECT_EQ(Built([] { return ApplicationFolder(kFolderBackup); }), "Backups");
  EXPECT_EQ(Built([] { return ApplicationFolder(kFolderBackRel); }), here + "/Backups");
  EXPECT_EQ(Built([] { return ApplicationFolder(8); }), "");
  EXPECT_EQ(Built([] { return FileInApplicationFolder(Lit("historic.txt"), kFolderDefault); }),
            "/work/start/historic.txt");
  EXPECT_EQ(Built([] { return CurrentFolder(); }), here);
}

TEST_F(PathTest, TemporaryFilesAreFreshAndNothingIsDeleted) {
  TempDir temp;
  setenv("TEMP", temp.path().c_str(), 1);
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::string name = Built([] { return TempFileName(Lit("txt")); });
    EXPECT_EQ(name.find('.'), name.size() - 4) << name;
    EXPECT_EQ(name.find('/'), std::string::npos);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 20u);
  const std::string path = Built([] { return TempFilePath(Lit("txt")); });
  EXPECT_EQ(path.rfind(temp.path() + "/", 0), 0u);
  EXPECT_EQ(ReadFile(path), "");  // created, empty
  // A folder where nothing can be created: an error, never another folder.
  ASSERT_EQ(chmod(temp.path().c_str(), 0500), 0);
  if (access((temp / "probe").c_str(), F_OK) != 0 && geteuid() != 0) {
    const AreaMark mark = MarkArea();
    EXPECT_TRUE(FailedWith(mark, TempFilePath(Lit("txt")), kErrPermissionDenied));
  }
  setenv("TEMP", "/nonexistent-vantoro-temp", 1);
  const AreaMark mark = MarkArea();
  EXPECT_TRUE(FailedWith(mark, TempFilePath(Lit("txt")), kErrFileNotFound));
  unsetenv("TEMP");
  setenv("TMPDIR", temp.path().c_str(), 1);
  EXPECT_EQ(Text(TempFolder()), temp.path());
  unsetenv("TMPDIR");
  EXPECT_EQ(Text(TempFolder()), "/tmp");
}

TEST_F(PathTest, VariablesExpand) {
  setenv("TEMP", "/var/tmp", 1);
  ASSERT_EQ(SetVariable(kGroupSettings, kItemCommandLine, Lit("prog arg")), kOk);
  ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
  ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, Lit("/start")), kOk);
  struct Case {
    const char* text;
    const char* result;
  } cases[] = {
      {"%TEMP%/x", "/var/tmp/x"},
      {"%temp%/x", "/var/tmp/x"},  // the listed names ignore case
      {"%TEMP%+%TEMP%", "/var/tmp+/var/tmp"},
      {"%APPPATH_DEFAULT%/historic.txt", "/start/historic.txt"},
      {"%LOCALAPPDATA%/a%TEMP%b", "/ab"},  // after an unlisted name, runtime names only
      {"50% off", "50% off"},
      {"a%%b", "a%%b"},
      {"%COMMANDLINE%", "prog arg"},
      {"%LANGMODULE.DOCPATH%-%DATAPATH%", "EN-/start"},
      {"%DATABASE_HOST%", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Built([&] { return ExpandPathVariables(DescFromCString(c.text)); }), c.result)
        << c.text;
  }
  // A value that holds its own reference ends instead of growing for ever.
  ASSERT_EQ(SetVariable(kGroupSettings, kItemCommandLine, Lit("%COMMANDLINE%")), kOk);
  EXPECT_EQ(Built([] { return ExpandRuntimeVariables(Lit("x%COMMANDLINE%")); }), "x%COMMANDLINE%");
  unsetenv("TEMP");
  EXPECT_EQ(Text(EnvironmentText(Lit("TEMP"))), "");
  EXPECT_EQ(Text(EnvironmentText(Lit(""))), "");
}

}  // namespace
