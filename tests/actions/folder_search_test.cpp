#include "actions/folder_search.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "runtime/memory/string_area.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

using FolderSearchTest = RuntimeTest;

TEST_F(FolderSearchTest, TheFirstPlaceThatHoldsTheNameWins) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "A").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir / "B").c_str(), 0755), 0);
  ASSERT_TRUE(WriteFile(dir / "B/x.txt", "b"));
  ASSERT_TRUE(WriteFile(dir / "B/both", "b"));
  ASSERT_TRUE(WriteFile(dir / "A/both", "a"));
  ASSERT_EQ(mkdir((dir / "B/sub").c_str(), 0755), 0);
  const std::string list = dir / "A" + "," + dir / "B";
  // The bare name is tried in the current folder first: one of the test's own.
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  struct Case {
    std::string folders;
    std::string name;
    std::string found;
  } cases[] = {
      {list, "x.txt", dir / "B/x.txt"},
      {list, "both", dir / "A/both"},
      {list, "sub", dir / "B/sub"},  // a folder counts as found
      {list, "none", ""},
      {"", "none", ""},
      {"", dir / "B/x.txt", dir / "B/x.txt"},  // a full path is found where it is
      {list, "*.txt", dir / "B/*.txt"},        // wildcards match any entry
  };
  for (const Case& c : cases) {
    const AreaMark mark = MarkArea();
    const StrDesc r = FindAlongFolders(View(c.folders), View(c.name));
    EXPECT_TRUE(OneNewString(mark, r));
    EXPECT_EQ(Text(r), c.found) << c.name;
    ReleaseArea(mark);
  }
  ASSERT_EQ(chdir(here), 0);
}

}  // namespace
