#include "actions/bulk_passes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "actions/line_actions.h"
#include "runtime/memory/string_area.h"
#include "support/folder_pair_fixture.h"

namespace {

namespace fs = std::filesystem;

class BulkPassTest : public FolderPairTest {
 protected:
  PassRows Rows() {
    return PassRows{View(left_), View(right_), RowListOf(&rows_[0]), RowListOf(&rows_[1])};
  }
  std::uint16_t Bulk(std::uint8_t flags, PassOutcome* outcome = nullptr,
                     const PassListener* listener = nullptr) {
    const std::uint16_t n = BulkCopy(flags, Rows(), listener, outcome);
    EXPECT_EQ(MarkArea(), 0);
    return n;
  }
  std::uint16_t Export(std::uint8_t flags, const std::string& target,
                       PassOutcome* outcome = nullptr) {
    const std::uint16_t n = ExportFiles(flags, View(target), Rows(), nullptr, outcome);
    EXPECT_EQ(MarkArea(), 0);
    return n;
  }
  // Rows by name: newer left (nl), newer right (nr), equal (eq), left only
  // (lo), right only (ro), and a " >> " pair of equal bytes (same).
  void Mix() {
    Put(left_ + "/eq", "eq", t_);
    Put(right_ + "/eq", "eq", t_);
    Put(left_ + "/nl", "left newer", t_ + 100);
    Put(right_ + "/nl", "right older", t_);
    Put(left_ + "/nr", "left older", t_);
    Put(right_ + "/nr", "right newer", t_ + 100);
    Put(left_ + "/lo", "left only", t_);
    Put(right_ + "/ro", "right only", t_);
    Put(left_ + "/same", "same bytes", t_ + 100);
    Put(right_ + "/same", "same bytes", t_);
    Fill();
  }
  std::string MarkerOf(const std::string& name) {
    for (std::size_t i = 0; i < rows_[0].names.size(); ++i) {
      if (rows_[0].names[i] == name) return Marker(rows_[0].lines[i]);
      if (rows_[1].names[i] == name) return Marker(rows_[1].lines[i]);
    }
    return "<none>";
  }
};

// Each command copies exactly the rows of its kind, each after a backup of
// the file it replaces; the count pass counts what the copy pass copies.
TEST_F(BulkPassTest, EachCommandCopiesExactlyItsRows) {
  Mix();
  EXPECT_EQ(Bulk(kAllFilesLeftCount), 1);
  PassOutcome outcome{};
  EXPECT_EQ(Bulk(kAllFilesLeftCopy, &outcome), 1);
  EXPECT_EQ(outcome.copied, 1);
  EXPECT_EQ(ReadFile(left_ + "/nr"), "right newer");
  EXPECT_EQ(ReadFile(Backup(left_, "nr")), "left older");
  EXPECT_EQ(MarkerOf("nr"), " == ");
  EXPECT_EQ(ReadFile(right_ + "/nl"), "right older");  // " >> " rows are not this command's
  EXPECT_EQ(ReadFile(right_ + "/same"), "same bytes");

  EXPECT_EQ(Bulk(kAllFilesRightCount), 2);  // nl and same
  EXPECT_EQ(Bulk(kAllFilesRightCopy, &outcome), 2);
  EXPECT_EQ(outcome.copied + outcome.failed, 2);
  EXPECT_EQ(ReadFile(right_ + "/nl"), "left newer");
  EXPECT_EQ(ReadFile(Backup(right_, "nl")), "right older");
  EXPECT_EQ(MarkerOf("nl"), " == ");
  EXPECT_EQ(MarkerOf("lo"), " ++ ");  // never copied by these commands
  EXPECT_FALSE(fs::exists(left_ + "/ro"));
  // Nothing of the kind left: the count is 0, and the pass copies nothing.
  EXPECT_EQ(Bulk(kAllFilesRightCount), 0);
  EXPECT_EQ(Bulk(kAllFilesRightCopy, &outcome), 0);
  EXPECT_EQ(outcome.copied, 0);
}

// "Restore Equals <<" gives a " >> " file of equal bytes its right copy's
// time back; a " >> " row whose bytes differ is left alone and not counted.
TEST_F(BulkPassTest, RestoreEqualsRestoresOnlyEqualBytes) {
  Mix();
  EXPECT_EQ(Bulk(kRestoreEqualsCount), 1);
  EXPECT_EQ(Bulk(kRestoreEqualsCopy), 1);
  struct stat st {};
  ASSERT_EQ(stat((left_ + "/same").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, t_);
  EXPECT_EQ(MarkerOf("same"), " == ");
  EXPECT_EQ(ReadFile(left_ + "/nl"), "left newer");
  EXPECT_EQ(MarkerOf("nl"), " >> ");
}

// Rows emptied by a delete are skipped by every command.
TEST_F(BulkPassTest, EmptiedRowsAreSkipped) {
  Mix();
  std::uint16_t nl = 0;
  while (rows_[0].names[nl] != "nl") ++nl;
  ASSERT_EQ(DeleteLineFile(View(left_), RowListOf(&rows_[0]), nl).status, kOk);
  EXPECT_EQ(Bulk(kAllFilesRightCount), 1);          // only "same" is left
  EXPECT_EQ(Export(kExportNotEqualsCount, ""), 1);  // only "nr"
}

// A refused copy does not stop the pass: the others are copied, and the
// outcome counts it and names it with the reason. Cancel stops the pass
// after the file being copied; the rows copied keep their new lines.
TEST_F(BulkPassTest, FailuresAreCountedAndCancelStopsBetweenFiles) {
  for (const char* name : {"a", "b", "c"}) {
    Put(left_ + "/" + name, "new", t_ + 100);
    Put(right_ + "/" + name, "old", t_);
  }
  ASSERT_EQ(chmod((right_ + "/b").c_str(), 0444), 0);
  Fill();
  PassOutcome outcome{};
  EXPECT_EQ(Bulk(kAllFilesRightCopy, &outcome), 3);
  EXPECT_EQ(outcome.copied, 2);
  EXPECT_EQ(outcome.failed, 1);
  EXPECT_EQ(outcome.first_status, kErrPermissionDenied);
  EXPECT_EQ(std::string(outcome.first_failure), right_ + "/b: is read-only");
  EXPECT_EQ(ReadFile(right_ + "/c"), "new");
  const AreaMark mark = MarkArea();
  const std::string summary = Text(PassSummary(outcome));
  EXPECT_NE(summary.find("2 files copied, 1 not copied."), std::string::npos);
  EXPECT_NE(summary.find(right_ + "/b: is read-only"), std::string::npos);
  ReleaseArea(mark);

  for (const char* name : {"a", "c"}) Put(right_ + "/" + name, "old", t_);
  Fill();
  struct Cancel {
    int asked = 0;
    std::vector<std::string> failures;
  } cancel;
  const PassListener listener{
      &cancel,
      [](void* c, std::uint16_t, StrDesc) { return ++static_cast<Cancel*>(c)->asked == 1; },
      [](void* c, StatusWord, StrDesc detail) {
        static_cast<Cancel*>(c)->failures.push_back(Text(detail));
      }};
  EXPECT_EQ(Bulk(kAllFilesRightCopy, &outcome, &listener), 2);  // the pass ended at the second
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_EQ(outcome.copied, 1);
  EXPECT_EQ(ReadFile(right_ + "/a"), "new");
  EXPECT_EQ(Marker(rows_[1].lines[0]), " == ");
  EXPECT_EQ(ReadFile(right_ + "/c"), "old");
  EXPECT_EQ(Marker(rows_[1].lines[2]), " >> ");
  EXPECT_NE(Text(PassSummary(outcome)).find("cancelled"), std::string::npos);
  ReleaseArea(mark);
}

// The exports: " == " rows and " >> "/" << " rows of equal bytes are equal,
// those of differing bytes unequal; " ## ", " ++ ", " XX " rows never go.
// A file of the same name in the target is replaced only after its backup.
TEST_F(BulkPassTest, ExportsCopyTheirClassIntoTheTarget) {
  Mix();
  ASSERT_EQ(mkdir((left_ + "/Adap").c_str(), 0755), 0);
  Put(left_ + "/adapted", "a", t_ + 100);
  Put(right_ + "/adapted", "b", t_);
  Put(left_ + "/Adap/adapted", "c", t_);
  Fill();
  ASSERT_EQ(MarkerOf("adapted"), " ## ");
  TempDir equals, unequal;
  Put(equals / "eq", "earlier export", t_);
  EXPECT_EQ(Export(kExportEqualsCount, ""), 2);  // eq and same
  PassOutcome outcome{};
  EXPECT_EQ(Export(kExportEqualsCopy, equals.path(), &outcome), 2);
  EXPECT_EQ(outcome.copied, 2);
  EXPECT_EQ(ReadFile(equals / "same"), "same bytes");
  EXPECT_EQ(ReadFile(equals / "eq"), "eq");
  EXPECT_EQ(ReadFile(Backup(equals.path(), "eq")), "earlier export");
  EXPECT_EQ(Export(kExportNotEqualsCopy, unequal.path(), &outcome), 2);  // nl and nr
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(unequal.path())) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"nl", "nr"}));
  // The rows are not changed by an export.
  EXPECT_EQ(MarkerOf("nl"), " >> ");
}

// A right copy deleted since the rows were filled stops the count pass; its
// file is named. An export into the left folder itself copies nothing.
TEST_F(BulkPassTest, ACopyThatCannotBeComparedStopsTheCount) {
  Mix();
  ASSERT_EQ(unlink((right_ + "/nl").c_str()), 0);
  EXPECT_EQ(Export(kExportNotEqualsCount, ""), kExportFailed);
  EXPECT_NE(Detail().find(right_ + "/nl"), std::string::npos) << Detail();
  EXPECT_TRUE(SameFolder(View(left_), View(dir_.path() + "/./left")));
  EXPECT_FALSE(SameFolder(View(left_), View(right_)));
  PassOutcome outcome{};
  EXPECT_EQ(Export(kExportEqualsCopy, left_, &outcome), 2);
  EXPECT_EQ(outcome.copied, 0);
  EXPECT_EQ(outcome.failed, 3);  // each refused as the very file, and nl not comparable
  EXPECT_EQ(ReadFile(left_ + "/eq"), "eq");
}

}  // namespace
