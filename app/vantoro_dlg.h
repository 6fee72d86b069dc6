// The main window: two folders in read-only edit boxes with their "..."
// buttons, the two columns of status lines, five buttons and the menu bar.
// It owns the view state the commands share: the exact bytes of both folders
// and, for every row, the exact bytes of each line and of the name it was
// built from. The controls only ever show display text.
#pragma once

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "actions/bulk_passes.h"
#include "actions/rows.h"
#include "app/framework.h"
#include "compare/view_rows.h"
#include "history/goto_history.h"
#include "runtime/memory/str_desc.h"

class CVantoroDlg : public CDialog {
 public:
  explicit CVantoroDlg(QWidget* parent = nullptr);

  bool Dispatch(int id, Notify code) override;

  // Shows the comparison of two folders (exact bytes); nothing happens when
  // both are the folders shown already.
  void FillViews(StrDesc left_folder, StrDesc right_folder);
  // Lets the user choose the folder of a side (kIdBrowseLeft or kIdBrowseRight).
  void BrowseForSide(int side_button);
  // The About box, with text as the sixth value.
  void ShowAbout(StrDesc text);

  // The view state, for the commands and for tests.
  const std::string& LeftFolder() const { return left_folder_; }
  const std::string& RightFolder() const { return right_folder_; }
  const std::vector<std::string>& LeftLines() const { return left_rows_.lines; }
  const std::vector<std::string>& RightLines() const { return right_rows_.lines; }
  const std::vector<std::string>& LeftNames() const { return left_rows_.names; }
  const std::vector<std::string>& RightNames() const { return right_rows_.names; }
  QListWidget* LeftList() const { return left_list_; }
  const HistoryList& History() const { return history_list_; }
  QListWidget* RightList() const { return right_list_; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange* dx) override;

 private:
  // The message table: every command and notification of the window.
  static const MessageEntry<CVantoroDlg> kMessageTable[22];

  void OnBrowse(int id);
  void OnOpenLeft(int id);
  void OnOpenRight(int id);
  void OnLeftSelection(int id);
  void OnRightSelection(int id);
  void OnCopy(int id);
  void OnCompare(int id);
  void OnDelete(int id);
  void OnAbout(int id);
  void OnExit(int id);
  void OnEditHistory(int id);
  void OnBulk(int id);
  void OnExport(int id);
  void OnGoto(int id);
  void OnSysCommand(int id);
  void OnPaint(int id);
  void OnQueryDragIcon(int id);
  void SelectInStep(QListWidget* from, QListWidget* to);
  // The selected row of a list, or -1.
  int SelectedRow(QListWidget* list) const;
  // The file actions' view of a column: its rows, and its list box kept in step.
  RowList Rows(bool left);
  // Shows the new line of a replaced row in its list box.
  void ShowReplacedRow(bool left, std::uint16_t row);
  // No row selected in either column (after rows were replaced).
  void ClearSelections();
  // The rows and folders a bulk pass or an export runs on.
  PassRows PassOverRows();
  // Asks "%s Files. Continue?" with the count.
  bool AskToContinue(std::uint16_t count);
  // The box after a pass in which a copy failed or that was cancelled.
  void ShowPassSummary(const PassOutcome& outcome);
  // Opens the selected row's file of one side with the program for its type.
  void OpenSideFile(bool left);
  void ClearRows();
  // Appends one row of the row loop: its exact lines and names, and their display text.
  static void AddRow(const RowText& row, void* self);
  HistoryHost Host();

  HistoryList history_list_;  // the Goto entries as read from the history file, exact bytes
  QListWidget* right_list_ = nullptr;
  QListWidget* left_list_ = nullptr;
  QString left_path_;   // display text of the left folder
  QString right_path_;  // display text of the right folder
  QIcon icon_;

  std::string left_folder_, right_folder_;  // the folders' exact bytes
  bool filled_ = false;                     // the columns show left_folder_ and right_folder_
  // The rows of both columns: exact lines and names, shown by the list boxes.
  RowColumn left_rows_, right_rows_;
  std::vector<std::pair<int, QAction*>> goto_items_;  // the "Go to" items and their ids
  bool syncing_selection_ = false;
  bool filling_ = false;  // rows are being replaced: no selection change of the user
};
