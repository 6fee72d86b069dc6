// Two folders shown side by side as the window shows them (their rows in
// two columns), a start folder of their own for the backup tree, and today
// fixed at 8 December 2017, noon UTC.
#pragma once

#include <sys/stat.h>

#include <string>

#include "actions/rows.h"
#include "compare/view_rows.h"
#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

class FolderPairTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
    ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, View(start_.path())), kOk);
    ASSERT_EQ(mkdir(left_.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(right_.c_str(), 0755), 0);
  }
  void Put(const std::string& path, const std::string& bytes, std::int64_t stamp) {
    ASSERT_TRUE(WriteFile(path, bytes));
    ASSERT_TRUE(SetModified(path, stamp));
  }
  // Fills both columns as the window does.
  void Fill() {
    rows_[0] = RowColumn{};
    rows_[1] = RowColumn{};
    (void)FillRows(
        View(left_), View(right_),
        [](const RowText& row, void* context) {
          auto* rows = static_cast<RowColumn*>(context);
          rows[0].lines.emplace_back(row.left_line.ptr, row.left_line.len);
          rows[0].names.emplace_back(row.left_name.ptr, row.left_name.len);
          rows[1].lines.emplace_back(row.right_line.ptr, row.right_line.len);
          rows[1].names.emplace_back(row.right_name.ptr, row.right_name.len);
        },
        rows_);
    ASSERT_EQ(rows_[0].lines.size(), rows_[1].lines.size());
  }
  // Where today's backup of a file of a folder lands.
  std::string Backup(const std::string& folder, const std::string& name) const {
    return start_.path() + "/Backups" + folder + "/Backup(12-08-17)/" + name;
  }
  std::string Detail() const { return Text(GetVariable(kGroupMessages, kItemDetailLog)); }
  static std::string Marker(const std::string& line) {
    return line.size() >= 4 ? line.substr(line.size() - 4) : line;
  }
  static time_t FixedNow(time_t* out) {
    const time_t now = static_cast<time_t>(LocalStamp(2017, 12, 8, 12, 0, 0));
    if (out != nullptr) *out = now;
    return now;
  }

  ScopedTimeZone tz_{"UTC"};
  TempDir start_, dir_;
  const std::string left_ = dir_ / "left", right_ = dir_ / "right";
  RowColumn rows_[2];
  const std::int64_t t_ = 1489573353;
  ScopedOsCalls now_{[] {
    OsCalls calls = Os();
    calls.time = &FolderPairTest::FixedNow;
    return calls;
  }()};
};
