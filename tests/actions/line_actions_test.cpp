#include "actions/line_actions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "actions/file_services.h"
#include "actions/rows.h"
#include "compare/view_rows.h"
#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "support/folder_pair_fixture.h"
#include "support/os_faults.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The row actions on two folders shown side by side.
class LineActionTest : public FolderPairTest {
 protected:
  LineAction CopyRight(std::uint16_t row) {
    const LineAction a =
        CopyLineFile(View(left_), View(right_), RowListOf(&rows_[0]), RowListOf(&rows_[1]), row);
    EXPECT_EQ(MarkArea(), 0);
    return a;
  }
  LineAction Delete(bool left, std::uint16_t row) {
    const LineAction a =
        DeleteLineFile(View(left ? left_ : right_), RowListOf(&rows_[left ? 0 : 1]), row);
    EXPECT_EQ(MarkArea(), 0);
    return a;
  }
};

TEST_F(LineActionTest, TheBackupPathOfTheExample) {
  const AreaMark mark = MarkArea();
  const StrDesc path = BackupPath(Lit("/home/ana/Docs/a.txt"));
  EXPECT_TRUE(OneNewString(mark, path));
  EXPECT_EQ(Text(path), start_.path() + "/Backups/home/ana/Docs/Backup(12-08-17)/a.txt");
  ReleaseArea(mark);
  // Every byte of the name is kept; a folder with ".." parts is resolved, so
  // that a backup never lands outside the tree.
  EXPECT_EQ(Text(BackupPath(Lit("/srv/.profile"))),
            start_.path() + "/Backups/srv/Backup(12-08-17)/.profile");
  EXPECT_EQ(Text(BackupPath(Lit("/srv/notes."))),
            start_.path() + "/Backups/srv/Backup(12-08-17)/notes.");
  EXPECT_EQ(Text(BackupPath(View(left_ + "/../right/x"))), Backup(right_, "x"));
  ReleaseArea(mark);
}

// A file on the left only: nothing to back up, the dated folder made all
// the same, the copy in place and the row " == " in both columns.
TEST_F(LineActionTest, CopyingAOneSidedFile) {
  Put(left_ + "/a.txt", "left bytes", t_);
  Fill();
  ASSERT_EQ(Marker(rows_[0].lines[0]), " ++ ");
  const LineAction a = CopyRight(0);
  EXPECT_EQ(a.status, kOk);
  EXPECT_TRUE(a.acted);
  EXPECT_EQ(ReadFile(right_ + "/a.txt"), "left bytes");
  EXPECT_TRUE(fs::is_directory(fs::path(Backup(right_, "a.txt")).parent_path()));
  EXPECT_FALSE(fs::exists(Backup(right_, "a.txt")));
  EXPECT_EQ(Marker(rows_[0].lines[0]), " == ");
  EXPECT_EQ(rows_[1].lines[0], rows_[0].lines[0]);
  EXPECT_EQ(rows_[1].names[0], "a.txt");
  // From the side that has no file in that row nothing happens at all.
  Put(right_ + "/b.txt", "right only", t_);
  Fill();
  ASSERT_EQ(rows_[0].names[1], "");
  const LineAction none = CopyRight(1);
  EXPECT_EQ(none.status, kErrFileNotFound);  // said in a box: there is nothing to copy
  EXPECT_FALSE(none.acted);
  EXPECT_EQ(Detail(), left_ + "/b.txt: is not there; nothing was copied");
  EXPECT_EQ(ReadFile(right_ + "/b.txt"), "right only");
  EXPECT_FALSE(fs::exists(fs::path(Backup(left_, "b.txt")).parent_path()));
}

// An older copy is replaced only after its backup; a second copy the same
// day replaces that backup by the newer old state. Names are exact bytes.
TEST_F(LineActionTest, CopyingOverAnOlderFileBacksItUpFirst) {
  const std::string name = "Canci\xc3\xb3n.txt";
  Put(left_ + "/" + name, "new one", t_ + 100);
  Put(right_ + "/" + name, "old one", t_);
  Fill();
  ASSERT_EQ(Marker(rows_[0].lines[0]), " >> ");
  EXPECT_EQ(CopyRight(0).status, kOk);
  EXPECT_EQ(ReadFile(right_ + "/" + name), "new one");
  EXPECT_EQ(ReadFile(Backup(right_, name)), "old one");
  EXPECT_EQ(Marker(rows_[1].lines[0]), " == ");
  Put(left_ + "/" + name, "newest", t_ + 200);
  Fill();
  EXPECT_EQ(CopyRight(0).status, kOk);
  EXPECT_EQ(ReadFile(Backup(right_, name)), "new one");
  EXPECT_EQ(ReadFile(right_ + "/" + name), "newest");
  std::size_t backups = 0;
  for ([[maybe_unused]] const auto& e :
       fs::directory_iterator(fs::path(Backup(right_, name)).parent_path())) {
    ++backups;
  }
  EXPECT_EQ(backups, 1u);
}

// Whatever makes the backup fail, nothing is replaced or deleted, the rows
// keep their text, and the detail names the file and the reason.
TEST_F(LineActionTest, AFailedBackupStopsTheCopyAndTheDelete) {
  Put(left_ + "/a.txt", "new", t_ + 100);
  Put(right_ + "/a.txt", "old", t_);
  // The backup's own temporary file, and the backup tree's folders.
  const char* temp = "Backup(12-08-17)/.";
  struct Case {
    const char* call;
    const char* where;
    int error;
    StatusWord status;
    const char* reason;
  } cases[] = {
      {"mkdir", "Backups", EACCES, kErrPermissionDenied, "Permission denied"},
      {"open", "Backups", EACCES, kErrPermissionDenied, "Permission denied"},  // a folder's flush
      {"open", temp, EACCES, kErrPermissionDenied, "Permission denied"},
      {"open", temp, ENAMETOOLONG, kFailure, "File name too long"},
      {"copy_file_range", temp, ENOSPC, kFailure, "No space left on device"},
      {"fsync", temp, EIO, kFailure, "Input/output error"},
      {"rename", "Backup(12-08-17)/a.txt", ENOSPC, kFailure, "No space left on device"},
  };
  for (const Case& c : cases) {
    for (bool deleting : {false, true}) {
      SCOPED_TRACE(std::string(c.call) + " " + c.where + " " + c.reason +
                   (deleting ? " delete" : " copy"));
      fs::remove_all(start_ / "Backups");
      Fill();
      const std::vector<std::string> before[2] = {rows_[0].lines, rows_[1].lines};
      LineAction a{};
      {
        ScopedFaults faults(FailNth(c.call, 1, c.error, c.where));
        a = deleting ? Delete(false, 0) : CopyRight(0);
      }
      EXPECT_EQ(a.status, c.status);
      EXPECT_FALSE(a.acted);
      EXPECT_EQ(ReadFile(right_ + "/a.txt"), "old");
      EXPECT_EQ(rows_[0].lines, before[0]);
      EXPECT_EQ(rows_[1].lines, before[1]);
      EXPECT_NE(Detail().find(right_ + "/a.txt"), std::string::npos) << Detail();
      EXPECT_NE(Detail().find(c.reason), std::string::npos) << Detail();
    }
  }
}

// Refused before anything is backed up: a read-only destination or file, a
// folder under the name on the other side, the very file on both sides.
TEST_F(LineActionTest, RefusalsBackUpNothingAndChangeNothing) {
  Put(left_ + "/ro.txt", "new", t_ + 100);
  Put(right_ + "/ro.txt", "old", t_);
  ASSERT_EQ(chmod((right_ + "/ro.txt").c_str(), 0444), 0);
  Put(left_ + "/y", "file", t_);
  ASSERT_EQ(mkdir((right_ + "/y").c_str(), 0755), 0);
  Fill();
  ASSERT_EQ(rows_[0].names[0], "ro.txt");
  ASSERT_EQ(rows_[0].names[1], "y");
  const LineAction read_only = CopyRight(0);
  EXPECT_EQ(read_only.status, kErrPermissionDenied);
  EXPECT_NE(Detail().find("is read-only"), std::string::npos);
  EXPECT_EQ(CopyRight(1).status, kErrBadInputData);  // a file never goes over a folder
  EXPECT_TRUE(fs::is_directory(right_ + "/y"));
  EXPECT_EQ(Delete(false, 0).status, kErrPermissionDenied);
  EXPECT_EQ(ReadFile(right_ + "/ro.txt"), "old");
  EXPECT_FALSE(fs::exists(start_ / "Backups"));
  // The same folder on both sides: every file would go onto itself.
  const LineAction self =
      CopyLineFile(View(left_), View(left_), RowListOf(&rows_[0]), RowListOf(&rows_[1]), 1);
  EXPECT_EQ(self.status, kErrBadInputData);
  EXPECT_EQ(ReadFile(left_ + "/y"), "file");
}

TEST_F(LineActionTest, DeletingBacksUpRemovesAndEmptiesOneSide) {
  Put(left_ + "/a.txt", "left", t_);
  Put(right_ + "/a.txt", "right", t_);
  Fill();
  const std::string other = rows_[1].lines[0];
  EXPECT_EQ(Delete(true, 0).status, kOk);
  EXPECT_FALSE(fs::exists(left_ + "/a.txt"));
  EXPECT_EQ(ReadFile(Backup(left_, "a.txt")), "left");
  EXPECT_EQ(rows_[0].lines[0], "");
  EXPECT_EQ(rows_[1].lines[0], other);  // the other side keeps its line
  EXPECT_EQ(rows_[0].lines.size(), rows_[1].lines.size());
  const LineAction again = Delete(true, 0);  // the emptied line: nothing
  EXPECT_FALSE(again.acted);
  // A removal that fails keeps the line, and says why.
  LineAction refused{};
  {
    ScopedFaults faults(FailNth("unlink", 1, EACCES, right_.c_str()));
    refused = Delete(false, 0);
  }
  EXPECT_EQ(refused.status, kErrPermissionDenied);
  EXPECT_EQ(rows_[1].lines[0], other);
  EXPECT_EQ(ReadFile(right_ + "/a.txt"), "right");
  // A file gone meanwhile: the line says so, without a backup.
  ASSERT_EQ(unlink((right_ + "/a.txt").c_str()), 0);
  EXPECT_EQ(Delete(false, 0).status, kOk);
  EXPECT_EQ(rows_[1].lines[0], "");
}

// What changes under the copy's feet is never lost: a file that appears
// where nothing was, a destination written to after its backup, today's
// backup copied back over its file, a link inside the backup tree.
TEST_F(LineActionTest, WhatChangesMeanwhileIsNeverLost) {
  Put(left_ + "/a.txt", "new", t_ + 100);
  Fill();
  const std::string to = right_ + "/a.txt";
  LineAction a{};
  {
    // Someone writes the file just before the copy goes in.
    ScopedFaults faults([to](const InjectedCall& c) {
      if (std::strcmp(c.call, "rename") == 0 && c.path != nullptr && to == c.path) {
        WriteFile(to, "theirs");
      }
      return 0;
    });
    a = CopyRight(0);
  }
  EXPECT_EQ(a.status, kErrFileExist);
  EXPECT_EQ(ReadFile(to), "theirs");
  Put(to, "old", t_);
  Fill();
  {
    // Someone edits the file after its backup, while the copy is flushed.
    const std::string temp = right_ + "/.a.txt.";
    ScopedFaults faults([to, temp](const InjectedCall& c) {
      if (std::strcmp(c.call, "fsync") == 0 && PathOfFd(c.fd).rfind(temp, 0) == 0) {
        WriteFile(to, "edited after its backup");
      }
      return 0;
    });
    a = CopyRight(0);
  }
  EXPECT_EQ(a.status, kErrFileIO);
  EXPECT_NE(Detail().find("changed while it was being replaced"), std::string::npos);
  EXPECT_EQ(ReadFile(to), "edited after its backup");

  // Copying today's backup back over its file would overwrite that backup.
  ASSERT_TRUE(WriteFile(to, "current"));
  ASSERT_EQ(BackupFile(View(to)), kOk);
  const std::string backups = fs::path(Backup(right_, "a.txt")).parent_path();
  ASSERT_TRUE(WriteFile(to, "damaged"));
  ASSERT_TRUE(SetModified(to, t_));
  ASSERT_TRUE(SetModified(backups + "/a.txt", t_ + 100));
  rows_[0] = RowColumn{{" a.txt >> "}, {"a.txt"}};
  rows_[1] = RowColumn{{" a.txt >> "}, {"a.txt"}};
  const LineAction restore =
      CopyLineFile(View(backups), View(right_), RowListOf(&rows_[0]), RowListOf(&rows_[1]), 0);
  EXPECT_EQ(restore.status, kErrBadInputData);
  EXPECT_EQ(ReadFile(backups + "/a.txt"), "current");
  EXPECT_EQ(ReadFile(to), "damaged");

  // A link inside the backup tree would send the backup elsewhere.
  TempDir elsewhere;
  fs::remove_all(backups);
  ASSERT_EQ(symlink(elsewhere.path().c_str(), backups.c_str()), 0);
  Fill();
  EXPECT_EQ(CopyRight(0).status, kErrBadInputData);
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
  EXPECT_EQ(ReadFile(to), "damaged");
  ASSERT_EQ(unlink(backups.c_str()), 0);

  // A link that names nothing holds nothing to lose: it is replaced.
  ASSERT_EQ(unlink(to.c_str()), 0);
  ASSERT_EQ(symlink("nowhere", to.c_str()), 0);
  Fill();
  EXPECT_EQ(CopyRight(0).status, kOk);
  EXPECT_EQ(ReadFile(to), "new");
}

// Killed at any platform call of a copy over an existing file, the file
// holds its old or its new bytes; once it holds the new ones, its backup is
// complete; and never a mix.
TEST_F(LineActionTest, KilledAtAnyCallNothingIsLost) {
  const std::string left = left_ + "/a.txt", right = right_ + "/a.txt";
  Put(left, std::string(100000, 'N'), t_ + 100);
  int n = 1;
  for (; n < 400; ++n) {
    Put(right, std::string(70000, 'o'), t_);
    fs::remove_all(start_ / "Backups");
    Fill();
    const bool killed = KilledAtCall(n, [this] { (void)CopyRight(0); });
    const std::string now = ReadFile(right);
    const bool old = now == std::string(70000, 'o');
    EXPECT_TRUE(old || now == std::string(100000, 'N')) << "killed at call " << n;
    const std::string backup = Backup(right_, "a.txt");
    if (!old) {
      EXPECT_EQ(ReadFile(backup), std::string(70000, 'o')) << "killed at call " << n;
    }
    if (fs::exists(backup)) {
      EXPECT_EQ(ReadFile(backup), std::string(70000, 'o')) << "killed at call " << n;
    }
    for (const auto& e : fs::directory_iterator(right_)) {
      if (e.path().filename() != "a.txt") fs::remove(e.path());  // a kill's temporary file
    }
    if (!killed) break;
  }
  EXPECT_GT(n, 10);
  EXPECT_LT(n, 400);
  // A delete: the file is there, or it is gone and its backup is whole.
  for (n = 1; n < 400; ++n) {
    Put(right, std::string(70000, 'o'), t_);
    fs::remove_all(start_ / "Backups");
    Fill();
    const bool killed = KilledAtCall(n, [this] { (void)Delete(false, 0); });
    if (fs::exists(right)) {
      EXPECT_EQ(ReadFile(right), std::string(70000, 'o')) << "killed at call " << n;
    } else {
      EXPECT_EQ(ReadFile(Backup(right_, "a.txt")), std::string(70000, 'o'))
          << "killed at call " << n;
    }
    if (!killed) break;
  }
  EXPECT_GT(n, 10);
  EXPECT_FALSE(fs::exists(right));
}

}  // namespace
