// A small application and dialog framework over Qt Widgets: an application
// base with InitInstance, a dialog base built from a dialog template (in
// dialog units) with OnInitDialog and DoDataExchange, and message tables of
// {ids, notification, handler} rows that a dispatcher walks. Qt signals feed
// the dispatcher; handlers never connect to Qt signals themselves.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <map>
#include <string>

#include "resources/resources.h"

class QListWidget;
class QLineEdit;
class QMenuBar;
class QMenu;
class QAction;

// The notification a control or menu sends to the dispatcher.
enum class Notify : std::uint8_t {
  kClicked,
  kDoubleClick,
  kSelectionChanged,
  kCommand,
  kSysCommand,     // a system-menu command (none is sent on this platform)
  kPaint,          // painting of the window (the toolkit paints it)
  kQueryDragIcon,  // the icon of the minimised window (the window manager draws it)
};

// One row of a message table: ids first_id to last_id with the notification
// go to the handler, which receives the id.
template <class Dialog>
struct MessageEntry {
  int first_id;
  int last_id;
  Notify code;
  void (Dialog::*handler)(int id);
};

// Walks the table and calls the first matching handler; false when none matches.
template <class Dialog, std::size_t N>
bool DispatchTable(Dialog* dialog, const MessageEntry<Dialog> (&table)[N], int id, Notify code) {
  for (const MessageEntry<Dialog>& e : table) {
    if (e.code == code && id >= e.first_id && id <= e.last_id) {
      (dialog->*e.handler)(id);
      return true;
    }
  }
  return false;
}

// The application object: InitInstance runs once, then the process ends.
class CWinApp {
 public:
  virtual ~CWinApp() = default;
  // Returns false to end the process without a message loop of its own.
  virtual bool InitInstance() = 0;
  const std::u16string& CommandLine() const { return command_line_; }
  // Creates the QApplication, keeps the command line and runs InitInstance; the exit status.
  int Run(int argc, char** argv);

 private:
  std::u16string command_line_;
};

// The direction and target of one data exchange.
struct DataExchange {
  bool save;  // false: members to controls
};

class CDialog : public QDialog {
 public:
  explicit CDialog(const DialogTemplate& templ, QWidget* parent = nullptr);

  // Builds the window (once), runs OnInitDialog and the modal loop; the
  // dialog's result (QDialog::Accepted for OK).
  int DoModal();
  // Builds the window and runs OnInitDialog without the modal loop (tests, and DoModal).
  void Create();
  // Runs the data exchange: members to controls (save false) or back.
  void UpdateData(bool save);
  // The dispatcher: the message table's handler for the id and notification.
  virtual bool Dispatch(int id, Notify code) = 0;

  QWidget* Control(int id) const;
  QMenuBar* MenuBar() const { return menu_bar_; }
  QMenu* Popup(int index) const;
  // The action of a command id in the menus (null when none).
  QAction* CommandAction(int id) const;
  // Inserts a command item before the item with id before_id in the popup.
  QAction* InsertCommand(QMenu* popup, int before_id, const QString& text, int id);
  // Inserts an item that runs no command before the item with id before_id.
  QAction* InsertInertItem(QMenu* popup, int before_id, const QString& text);
  void RemoveCommand(int id);
  // Dialog units to pixels, with the dialog font.
  QRect DialogRect(int x, int y, int w, int h) const;

 protected:
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange* dx) = 0;
  void keyPressEvent(QKeyEvent* event) override;

  void DDX_Control(DataExchange* dx, int id, QListWidget** control);
  void DDX_Text(DataExchange* dx, int id, QString* member);

 private:
  void Build();
  void BuildMenu(QMenu* menu, const MenuTemplate& item);

  const DialogTemplate& template_;
  bool built_ = false;
  QMenuBar* menu_bar_ = nullptr;
  std::map<int, QWidget*> controls_;
  std::map<int, QAction*> commands_;
  std::vector<QMenu*> popups_;
  int base_x_ = 0, base_y_ = 0;
};

// The fixed-pitch font of the dialog at the template's size.
[[nodiscard]] QFont DialogFont(const DialogTemplate& templ);
// The icon resource drawn from its SVG at the usual sizes.
[[nodiscard]] QIcon LoadIconResource(int id);
