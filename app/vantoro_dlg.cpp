#include "app/vantoro_dlg.h"

#include <QListWidget>
#include <QScrollBar>

#include "actions/bulk_passes.h"
#include "actions/line_actions.h"
#include "actions/process_runner.h"
#include "actions/viewing.h"
#include "app/pass_progress.h"
#include "compare/view_rows.h"
#include "platform/ui/prompt_service.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/catalog.h"
#include "runtime/messages/conversions.h"
#include "runtime/messages/prompts.h"
#include "runtime/text/format.h"
#include "runtime/text/strings.h"
#include "vantoro_version.h"

namespace {

constexpr std::uint16_t kAboutLimit = 1024;
constexpr std::uint16_t kQuestionLimit = 384;

StrDesc Bytes(const std::string& s) { return MakeDesc(s.data(), s.size()); }

// The display text of runtime bytes, all of them (a NUL byte included).
QString Display(StrDesc text) {
  const AreaMark mark = MarkArea();
  const char16_t* wide = ToWideText(text);
  // The wide copy is the top string: its length counts a NUL inside it too.
  const qsizetype units = wide != nullptr ? TopString().len / 2 - 1 : 0;
  QString shown = wide != nullptr ? QString::fromUtf16(wide, units) : QString();
  ReleaseArea(mark);
  return shown;
}

// The display text of a row, a folder or a menu label: control characters
// (below 0x20, 0x7F) shown as their visible pictures, and the characters
// that would move or break a line (the C1 controls, direction marks and
// overrides, zero-width marks, line and paragraph separators) as one visible
// stand-in each. A line break or a direction override in a name can then
// neither cut a row, nor push its columns out of line, nor turn its marker
// round. The exact bytes stay with the row. keep_tabs keeps a TAB as it is
// (the one between a menu label's two folders).
QString Shown(StrDesc text, bool keep_tabs = false) {
  QString shown = Display(text);
  for (QChar& c : shown) {
    const char16_t u = c.unicode();
    if (u == '\t' && keep_tabs) continue;
    if (u < 0x20) {
      c = QChar(static_cast<char16_t>(0x2400 + u));
    } else if (u == 0x7F) {
      c = QChar(static_cast<char16_t>(0x2421));
    } else if ((u >= 0x80 && u < 0xA0) || c.category() == QChar::Other_Format ||
               c.category() == QChar::Separator_Line ||
               c.category() == QChar::Separator_Paragraph) {
      c = QChar(static_cast<char16_t>(0xFFFD));
    }
  }
  return shown;
}

}  // namespace

const MessageEntry<CVantoroDlg> CVantoroDlg::kMessageTable[22] = {
    {kIdBrowseLeft, kIdBrowseLeft, Notify::kClicked, &CVantoroDlg::OnBrowse},
    {kIdBrowseRight, kIdBrowseRight, Notify::kClicked, &CVantoroDlg::OnBrowse},
    {kIdLeftList, kIdLeftList, Notify::kDoubleClick, &CVantoroDlg::OnOpenLeft},
    {kIdRightList, kIdRightList, Notify::kDoubleClick, &CVantoroDlg::OnOpenRight},
    {kIdLeftList, kIdLeftList, Notify::kSelectionChanged, &CVantoroDlg::OnLeftSelection},
    {kIdRightList, kIdRightList, Notify::kSelectionChanged, &CVantoroDlg::OnRightSelection},
    {kIdCopyRight, kIdCopyRight, Notify::kClicked, &CVantoroDlg::OnCopy},
    {kIdCopyLeft, kIdCopyLeft, Notify::kClicked, &CVantoroDlg::OnCopy},
    {kIdCompare, kIdCompare, Notify::kClicked, &CVantoroDlg::OnCompare},
    {kIdDeleteLeft, kIdDeleteLeft, Notify::kClicked, &CVantoroDlg::OnDelete},
    {kIdDeleteRight, kIdDeleteRight, Notify::kClicked, &CVantoroDlg::OnDelete},
    {kIdAbout, kIdAbout, Notify::kCommand, &CVantoroDlg::OnAbout},
    {kIdExit, kIdExit, Notify::kCommand, &CVantoroDlg::OnExit},
    {kIdInsertCurrent, kIdDeleteEntry, Notify::kCommand, &CVantoroDlg::OnEditHistory},
    {kIdAllFilesRight, kIdAllFilesRight, Notify::kCommand, &CVantoroDlg::OnBulk},
    {kIdAllFilesLeft, kIdAllFilesLeft, Notify::kCommand, &CVantoroDlg::OnBulk},
    {kIdRestoreEquals, kIdRestoreEquals, Notify::kCommand, &CVantoroDlg::OnBulk},
    {kIdExportEquals, kIdExportNotEquals, Notify::kCommand, &CVantoroDlg::OnExport},
    {kIdGotoFirst, kIdGotoLast, Notify::kCommand, &CVantoroDlg::OnGoto},
    {0, 0xFFFF, Notify::kSysCommand, &CVantoroDlg::OnSysCommand},
    {0, 0, Notify::kPaint, &CVantoroDlg::OnPaint},
    {0, 0, Notify::kQueryDragIcon, &CVantoroDlg::OnQueryDragIcon},
};

CVantoroDlg::CVantoroDlg(QWidget* parent) : CDialog(MainDialogTemplate(), parent) {
  icon_ = LoadIconResource(kIconMain);
}

bool CVantoroDlg::Dispatch(int id, Notify code) {
  return DispatchTable(this, kMessageTable, id, code);
}

void CVantoroDlg::DoDataExchange(DataExchange* dx) {
  DDX_Control(dx, kIdRightList, &right_list_);
  DDX_Control(dx, kIdLeftList, &left_list_);
  DDX_Text(dx, kIdLeftPath, &left_path_);
  DDX_Text(dx, kIdRightPath, &right_path_);
}

bool CVantoroDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // The window manager's system menu cannot be extended from here; the
  // About item of the menu bar serves for it.
  setWindowIcon(icon_);
  // Row k of both columns stands side by side at all times: scrolling one
  // column, by wheel, keys or its bar, scrolls the other with it.
  QScrollBar* left_bar = left_list_->verticalScrollBar();
  QScrollBar* right_bar = right_list_->verticalScrollBar();
  connect(left_bar, &QScrollBar::valueChanged, right_bar, &QScrollBar::setValue);
  connect(right_bar, &QScrollBar::valueChanged, left_bar, &QScrollBar::setValue);
  // The program's main window: a window of its own, with no transient parent,
  // so that task bars and window switchers list it, and one that can be
  // minimised there.
  setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Window |
                 Qt::WindowMinimizeButtonHint);
  const AreaMark mark = MarkArea();
  (void)SetVariable(kGroupSettings, kItemStartFolder, CurrentFolder());
  ReleaseArea(mark);
  LoadHistory(Host(), &history_list_);
  GotoEntry(Host(), history_list_, kIdGotoEntry1);
  return true;
}

HistoryHost CVantoroDlg::Host() {
  HistoryHost host{};
  host.context = this;
  host.clear_pair = [](void* self) {
    auto* d = static_cast<CVantoroDlg*>(self);
    d->left_folder_.clear();
    d->right_folder_.clear();
    d->left_path_.clear();
    d->right_path_.clear();
    d->filled_ = false;
  };
  host.clear_items = [](void* self) {
    auto* d = static_cast<CVantoroDlg*>(self);
    for (const auto& [id, action] : d->goto_items_) {
      if (id != kGotoInertItem) {
        d->RemoveCommand(id);
      } else {
        delete action;
      }
    }
    d->goto_items_.clear();
  };
  host.insert_item = [](void* self, int id, StrDesc label) {
    auto* d = static_cast<CVantoroDlg*>(self);
    // A "&" in a folder's name is a letter here, not a mnemonic.
    QString text = Shown(label, /*keep_tabs=*/true);
    text.replace('&', "&&");
    QAction* action = id != kGotoInertItem ? d->InsertCommand(d->Popup(0), kIdExit, text, id)
                                           : d->InsertInertItem(d->Popup(0), kIdExit, text);
    d->goto_items_.emplace_back(id, action);
  };
  host.fill_views = [](void* self, StrDesc left, StrDesc right) {
    static_cast<CVantoroDlg*>(self)->FillViews(left, right);
  };
  host.left_folder = [](void* self) {
    return Bytes(static_cast<CVantoroDlg*>(self)->left_folder_);
  };
  host.right_folder = [](void* self) {
    return Bytes(static_cast<CVantoroDlg*>(self)->right_folder_);
  };
  return host;
}

void CVantoroDlg::AddRow(const RowText& row, void* self) {
  auto* d = static_cast<CVantoroDlg*>(self);
  d->left_rows_.lines.emplace_back(row.left_line.ptr, row.left_line.len);
  d->right_rows_.lines.emplace_back(row.right_line.ptr, row.right_line.len);
  d->left_rows_.names.emplace_back(row.left_name.ptr, row.left_name.len);
  d->right_rows_.names.emplace_back(row.right_name.ptr, row.right_name.len);
  d->left_list_->addItem(Shown(row.left_line));
  d->right_list_->addItem(Shown(row.right_line));
}

void CVantoroDlg::ClearRows() {
  left_list_->clear();
  right_list_->clear();
  left_rows_.lines.clear();
  right_rows_.lines.clear();
  left_rows_.names.clear();
  right_rows_.names.clear();
}

void CVantoroDlg::FillViews(StrDesc left_folder, StrDesc right_folder) {
  const AreaMark mark = MarkArea();
  UpdateData(false);
  if (filled_ && SameText(left_folder, Bytes(left_folder_)) &&
      SameText(right_folder, Bytes(right_folder_))) {
    ReleaseArea(mark);
    return;
  }
  // Copies first: the arguments may be views of the folders being replaced.
  const std::string left(left_folder.ptr, left_folder.len);
  const std::string right(right_folder.ptr, right_folder.len);
  filling_ = true;
  ClearRows();
  left_folder_ = left;
  right_folder_ = right;
  left_path_ = Shown(Bytes(left_folder_));
  right_path_ = Shown(Bytes(right_folder_));
  left_list_->setUpdatesEnabled(false);
  right_list_->setUpdatesEnabled(false);
  const RowPass pass = FillRows(Bytes(left_folder_), Bytes(right_folder_), &AddRow, this);
  left_list_->setUpdatesEnabled(true);
  right_list_->setUpdatesEnabled(true);
  filling_ = false;
  filled_ = true;
  UpdateData(false);
  for (int side = 0; side < 2; ++side) {
    if (!ListingRefused(side == 0 ? pass.left_outcome : pass.right_outcome)) continue;
    // Never show such a folder as empty: no row may claim a file is on one side only.
    filled_ = false;
    filling_ = true;
    ClearRows();
    filling_ = false;
    const std::string& folder = side == 0 ? left_folder_ : right_folder_;
    const StrDesc parts[] = {Lit("The folder "), Bytes(folder),
                             Lit(" holds too many files to compare.")};
    const AreaMark inner = MarkArea();
    (void)ShowMessageBox(ConcatParts(parts, 3), EmptyDesc(), kBoxWarning);
    ReleaseArea(inner);
    ReleaseArea(mark);
    return;
  }
  if (pass.status != kOk) {
    // The rows stopped early (a line the string area could not hold): a
    // partial view would pass for the whole one, so none is shown.
    filled_ = false;
    filling_ = true;
    ClearRows();
    filling_ = false;
    const AreaMark inner = MarkArea();
    const StrDesc parts[] = {Lit("The folders could not be compared whole: "),
                             ErrorName(pass.status)};
    (void)ShowMessageBox(ConcatParts(parts, 2), EmptyDesc(), kBoxWarning);
    ReleaseArea(inner);
  }
  ReleaseArea(mark);
}

void CVantoroDlg::BrowseForSide(int side_button) {
  const AreaMark mark = MarkArea();
  const bool left = side_button == kIdBrowseLeft;
  const StrDesc chosen = ChooseFolder(Bytes(left ? left_folder_ : right_folder_), EmptyDesc());
  if (chosen.ptr != nullptr && chosen.len != 0) {
    const std::string folder(chosen.ptr, chosen.len);
    if (left) {
      FillViews(Bytes(folder), Bytes(right_folder_));
    } else {
      FillViews(Bytes(left_folder_), Bytes(folder));
    }
  }
  ReleaseArea(mark);
}

void CVantoroDlg::ShowAbout(StrDesc text) {
  const AreaMark mark = MarkArea();
  const StrDesc values[] = {
      Lit("2017"),
      GetVariable(kGroupSettings, kItemAppDescription),
      Lit(VANTORO_VERSION_MAJOR_MINOR),
      Lit(VANTORO_VERSION_PATCH),
      Copy(GetVariable(kGroupSettings, kItemLanguage)),
      text,
      Lit("1900"),
      CommandLineWord(0),
      ApplicationFolder(kFolderDefault),
      ApplicationFolder(kFolderData),
  };
  const StrDesc about =
      FormatText(kAboutLimit, MessageText(kMsgAboutText), std::span<const StrDesc>(values, 10));
  (void)ShowMessageBox(about, MessageText(kMsgAboutCaption), kBoxInfo);
  ReleaseArea(mark);
}

void CVantoroDlg::OnBrowse(int id) { BrowseForSide(id); }

int CVantoroDlg::SelectedRow(QListWidget* list) const {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

void CVantoroDlg::OpenSideFile(bool left) {
  const int row = SelectedRow(left ? left_list_ : right_list_);
  const std::vector<std::string>& names = left ? left_rows_.names : right_rows_.names;
  if (row < 0 || static_cast<std::size_t>(row) >= names.size() || names[row].empty()) return;
  const AreaMark mark = MarkArea();
  const StrDesc path = JoinPath(Bytes(left ? left_folder_ : right_folder_), Bytes(names[row]));
  const StatusWord status =
      path.ptr != nullptr ? OpenWithAssociated(path, kStartNoWait) : DescStatus(path);
  // A file whose type has no program stays silent; a program that cannot start does not.
  if (status != kOk && status != kNoAssociatedProgram) ShowErrorBox(status);
  ReleaseArea(mark);
}

void CVantoroDlg::OnOpenLeft(int) { OpenSideFile(true); }
void CVantoroDlg::OnOpenRight(int) { OpenSideFile(false); }

void CVantoroDlg::SelectInStep(QListWidget* from, QListWidget* to) {
  if (filling_) return;
  (void)SetSetting(kSettingCurrentGotoEntry, 0);
  if (syncing_selection_) return;
  const QList<QListWidgetItem*> selected = from->selectedItems();
  const int row = selected.isEmpty() ? -1 : from->row(selected.first());
  syncing_selection_ = true;
  if (row < 0) {
    to->clearSelection();
  } else {
    to->setCurrentRow(row);
  }
  syncing_selection_ = false;
}

void CVantoroDlg::OnLeftSelection(int) { SelectInStep(left_list_, right_list_); }
void CVantoroDlg::OnRightSelection(int) { SelectInStep(right_list_, left_list_); }

RowList CVantoroDlg::Rows(bool left) {
  RowColumn& column = left ? left_rows_ : right_rows_;
  column.on_replace =
      left ? [](void* self,
                std::uint16_t row) { static_cast<CVantoroDlg*>(self)->ShowReplacedRow(true, row); }
           : [](void* self, std::uint16_t row) {
               static_cast<CVantoroDlg*>(self)->ShowReplacedRow(false, row);
             };
  column.hook_context = this;
  return RowListOf(&column);
}

void CVantoroDlg::ShowReplacedRow(bool left, std::uint16_t row) {
  QListWidget* list = left ? left_list_ : right_list_;
  const std::string& line = (left ? left_rows_ : right_rows_).lines[row];
  // The old line goes and the new one takes its place; that is no selection
  // of the user's.
  filling_ = true;
  delete list->takeItem(row);
  list->insertItem(row, Shown(MakeDesc(line.data(), line.size())));
  filling_ = false;
}

void CVantoroDlg::ClearSelections() {
  filling_ = true;
  for (QListWidget* list : {left_list_, right_list_}) {
    list->clearSelection();
    list->setCurrentRow(-1);
  }
  filling_ = false;
}

void CVantoroDlg::OnCopy(int id) {
  const bool to_right = id == kIdCopyRight;
  const int row = SelectedRow(to_right ? left_list_ : right_list_);
  if (row < 0) return;  // no row: nothing to copy
  const AreaMark mark = MarkArea();
  const LineAction done = to_right
                              ? CopyLineFile(Bytes(left_folder_), Bytes(right_folder_), Rows(true),
                                             Rows(false), static_cast<std::uint16_t>(row))
                              : CopyLineFile(Bytes(right_folder_), Bytes(left_folder_), Rows(false),
                                             Rows(true), static_cast<std::uint16_t>(row));
  if (done.acted) {
    ClearSelections();
    UpdateData(false);
  }
  if (done.status != kOk) ShowErrorBox(done.status);
  ReleaseArea(mark);
}
void CVantoroDlg::OnCompare(int) {
  // The row's name: the left one, or the right one on a row of the right only
  // (whose missing left copy is then reported). No row: no name.
  const int row = SelectedRow(left_list_);
  std::string name;
  if (row >= 0 && static_cast<std::size_t>(row) < left_rows_.names.size()) {
    name = !left_rows_.names[row].empty() ? left_rows_.names[row] : right_rows_.names[row];
  }
  const AreaMark mark = MarkArea();
  const StatusWord status =
      CompareSelectedLine(Bytes(left_folder_), Bytes(right_folder_), Bytes(name));
  if (status != kOk) ShowErrorBox(status);
  ReleaseArea(mark);
}
void CVantoroDlg::OnDelete(int id) {
  const bool left = id == kIdDeleteLeft;
  const int row = SelectedRow(left ? left_list_ : right_list_);
  if (row < 0) return;  // no row: nothing to delete
  const AreaMark mark = MarkArea();
  const LineAction done = DeleteLineFile(Bytes(left ? left_folder_ : right_folder_), Rows(left),
                                         static_cast<std::uint16_t>(row));
  // The list box moved its selection to the next row when the line was
  // replaced: a second press must never delete a file nobody chose.
  if (done.acted) ClearSelections();
  if (done.status != kOk) ShowErrorBox(done.status);
  ReleaseArea(mark);
}

void CVantoroDlg::OnAbout(int) { ShowAbout(EmptyDesc()); }

void CVantoroDlg::OnExit(int) { reject(); }

void CVantoroDlg::OnEditHistory(int id) {
  // Insert Current needs both folders.
  if (id == kIdInsertCurrent && (left_folder_.empty() || right_folder_.empty())) return;
  EditHistory(Host(), &history_list_, static_cast<std::uint8_t>(id - kIdInsertCurrent));
}

PassRows CVantoroDlg::PassOverRows() {
  return PassRows{Bytes(left_folder_), Bytes(right_folder_), Rows(true), Rows(false)};
}

bool CVantoroDlg::AskToContinue(std::uint16_t count) {
  const AreaMark mark = MarkArea();
  const StrDesc question = FormatText(kQuestionLimit, "%s Files. Continue?", {WholeToText(count)});
  const bool yes = AskYesNo(question);
  ReleaseArea(mark);
  return yes;
}

void CVantoroDlg::ShowPassSummary(const PassOutcome& outcome) {
  const AreaMark mark = MarkArea();
  const StrDesc summary = PassSummary(outcome);
  if (summary.ptr != nullptr && summary.len != 0) {
    (void)ShowMessageBox(summary, EmptyDesc(), kBoxWarning);
  }
  ReleaseArea(mark);
}

void CVantoroDlg::OnBulk(int id) {
  const std::uint8_t count_flags = id == kIdAllFilesRight  ? kAllFilesRightCount
                                   : id == kIdAllFilesLeft ? kAllFilesLeftCount
                                                           : kRestoreEqualsCount;
  const std::uint8_t copy_flags = id == kIdAllFilesRight  ? kAllFilesRightCopy
                                  : id == kIdAllFilesLeft ? kAllFilesLeftCopy
                                                          : kRestoreEqualsCopy;
  const PassRows rows = PassOverRows();
  const std::uint16_t n = BulkCopy(count_flags, rows, nullptr, nullptr);
  if (!AskToContinue(n)) return;
  PassOutcome outcome{};
  {
    PassProgress progress(this, n);
    const PassListener listener = progress.Listener();
    (void)BulkCopy(copy_flags, rows, &listener, &outcome);
  }
  ClearSelections();
  UpdateData(false);
  ShowPassSummary(outcome);
}

void CVantoroDlg::OnExport(int id) {
  const bool equals = id == kIdExportEquals;
  const PassRows rows = PassOverRows();
  const std::uint16_t n = ExportFiles(equals ? kExportEqualsCount : kExportNotEqualsCount,
                                      EmptyDesc(), rows, nullptr, nullptr);
  if (n == kExportFailed) {
    ShowErrorBox(kErrFileNotFound);
    return;
  }
  if (!AskToContinue(n)) return;
  const AreaMark mark = MarkArea();
  const StrDesc chosen = ChooseFolder(Bytes(left_folder_), EmptyDesc());
  if (chosen.ptr == nullptr || chosen.len == 0) {
    ReleaseArea(mark);
    return;
  }
  const std::string target(chosen.ptr, chosen.len);
  ReleaseArea(mark);
  if (SameFolder(Bytes(target), Bytes(left_folder_))) {
    // Every file would be copied onto itself.
    const AreaMark inner = MarkArea();
    const StrDesc parts[] = {Lit("The folder "), Bytes(target),
                             Lit(" is the left folder itself; nothing was exported.")};
    (void)ShowMessageBox(ConcatParts(parts, 3), EmptyDesc(), kBoxWarning);
    ReleaseArea(inner);
    return;
  }
  PassOutcome outcome{};
  {
    PassProgress progress(this, n);
    const PassListener listener = progress.Listener();
    (void)ExportFiles(equals ? kExportEqualsCopy : kExportNotEqualsCopy, Bytes(target), rows,
                      &listener, &outcome);
  }
  ShowPassSummary(outcome);
}
void CVantoroDlg::OnGoto(int id) { GotoEntry(Host(), history_list_, id); }

void CVantoroDlg::OnSysCommand(int id) {
  // The About item of a system menu; the window manager's menu cannot be
  // extended here, so nothing sends it, and its other commands are the
  // window manager's own.
  if ((id & 0xFFF0) == kIdAbout) ShowAbout(EmptyDesc());
}

void CVantoroDlg::OnPaint(int) {}          // the toolkit paints the window, minimised or not
void CVantoroDlg::OnQueryDragIcon(int) {}  // the window manager draws a minimised window's icon
