#include "app/framework.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>

#include "runtime/core/startup.h"

int CWinApp::Run(int argc, char** argv) {
  QApplication app(argc, argv);
  command_line_ = CommandLineFromArgs(argc, argv);
  InitInstance();
  return 0;
}

QFont DialogFont(const DialogTemplate& templ) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(templ.point_size);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

QIcon LoadIconResource(int id) {
  QSvgRenderer renderer(QByteArray(IconSvg(id)));
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

CDialog::CDialog(const DialogTemplate& templ, QWidget* parent)
    : QDialog(parent), template_(templ) {}

QRect CDialog::DialogRect(int x, int y, int w, int h) const {
  // A horizontal unit is a quarter of the average character width, a
  // vertical one an eighth of the character height.
  const QFontMetrics metrics(font());
  const double hu = metrics.averageCharWidth() / 4.0;
  const double vu = metrics.height() / 8.0;
  return QRect(base_x_ + qRound(x * hu), base_y_ + qRound(y * vu), qRound(w * hu), qRound(h * vu));
}

void CDialog::Build() {
  if (built_) return;
  built_ = true;
  setFont(DialogFont(template_));
  setWindowTitle(QString::fromUtf8(template_.title));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  menu_bar_ = new QMenuBar(this);
  std::size_t count = 0;
  const MenuTemplate* bar = MainMenuTemplate(&count);
  for (std::size_t i = 0; i < count; ++i) {
    if (bar[i].items == nullptr) {
      QAction* action = menu_bar_->addAction(QString::fromUtf8(bar[i].text));
      const int id = bar[i].id;
      commands_[id] = action;
      connect(action, &QAction::triggered, this, [this, id] { Dispatch(id, Notify::kCommand); });
    } else {
      QMenu* popup = menu_bar_->addMenu(QString::fromUtf8(bar[i].text));
      popups_.push_back(popup);
      BuildMenu(popup, bar[i]);
    }
  }
  menu_bar_->adjustSize();
  base_y_ = menu_bar_->sizeHint().height();
  const QRect client = DialogRect(0, 0, template_.width, template_.height);
  setFixedSize(client.width(), base_y_ + client.height());
  menu_bar_->setGeometry(0, 0, client.width(), base_y_);
  QWidget* previous = nullptr;
  for (std::size_t i = 0; i < template_.control_count; ++i) {
    const ControlTemplate& c = template_.controls[i];
    QWidget* widget = nullptr;
    const int id = c.id;
    switch (c.kind) {
      case ControlKind::kListBox: {
        auto* list = new QListWidget(this);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSortingEnabled(false);
        list->setUniformItemSizes(true);
        list->setVerticalScrollBarPolicy((c.styles & kStyleVScroll) ? Qt::ScrollBarAsNeeded
                                                                    : Qt::ScrollBarAlwaysOff);
        // Always there when asked for: a bar that came and went with one
        // column's widest row would take a row's height from that column
        // only, and the two columns' rows would no longer stand side by side.
        list->setHorizontalScrollBarPolicy((c.styles & kStyleHScroll) ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAlwaysOff);
        list->setFrameShape((c.styles & kStyleBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
        if (c.styles & kStyleNotify) {
          // Only a real change of the selected row notifies: a list that gets
          // the focus makes its first row current without selecting it.
          connect(list, &QListWidget::itemSelectionChanged, this,
                  [this, id] { Dispatch(id, Notify::kSelectionChanged); });
          connect(list, &QListWidget::itemDoubleClicked, this,
                  [this, id](QListWidgetItem*) { Dispatch(id, Notify::kDoubleClick); });
        }
        widget = list;
        break;
      }
      case ControlKind::kEdit: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly((c.styles & kStyleReadOnly) != 0);
        edit->setFrame((c.styles & kStyleBorder) != 0);
        widget = edit;
        break;
      }
      case ControlKind::kButton: {
        auto* button = new QPushButton(QString::fromUtf8(c.text), this);
        button->setAutoDefault(false);  // no button acts as the default one
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, id] { Dispatch(id, Notify::kClicked); });
        widget = button;
        break;
      }
    }
    widget->setObjectName(QString::number(id));
    widget->setGeometry(DialogRect(c.x, c.y, c.width, c.height));
    widget->setFocusPolicy((c.styles & kStyleTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
    controls_[id] = widget;
  }
}

void CDialog::BuildMenu(QMenu* menu, const MenuTemplate& item) {
  for (std::size_t i = 0; i < item.item_count; ++i) {
    const MenuTemplate& child = item.items[i];
    if (child.text == nullptr) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromUtf8(child.text));
    const int id = child.id;
    commands_[id] = action;
    connect(action, &QAction::triggered, this, [this, id] { Dispatch(id, Notify::kCommand); });
  }
}

QMenu* CDialog::Popup(int index) const {
  return index >= 0 && index < static_cast<int>(popups_.size()) ? popups_[index] : nullptr;
}

QAction* CDialog::CommandAction(int id) const {
  const auto it = commands_.find(id);
  return it == commands_.end() ? nullptr : it->second;
}

QAction* CDialog::InsertCommand(QMenu* popup, int before_id, const QString& text, int id) {
  QAction* action = new QAction(text, popup);
  popup->insertAction(CommandAction(before_id), action);
  commands_[id] = action;
  connect(action, &QAction::triggered, this, [this, id] { Dispatch(id, Notify::kCommand); });
  return action;
}

QAction* CDialog::InsertInertItem(QMenu* popup, int before_id, const QString& text) {
  QAction* action = new QAction(text, popup);
  popup->insertAction(CommandAction(before_id), action);
  return action;
}

void CDialog::RemoveCommand(int id) {
  const auto it = commands_.find(id);
  if (it == commands_.end()) return;
  delete it->second;
  commands_.erase(it);
}

QWidget* CDialog::Control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void CDialog::Create() {
  Build();
  OnInitDialog();
}

int CDialog::DoModal() {
  Create();
  return exec();
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::UpdateData(bool save) {
  DataExchange dx{save};
  DoDataExchange(&dx);
}

void CDialog::DDX_Control(DataExchange*, int id, QListWidget** control) {
  *control = qobject_cast<QListWidget*>(Control(id));
}

void CDialog::DDX_Text(DataExchange* dx, int id, QString* member) {
  auto* edit = qobject_cast<QLineEdit*>(Control(id));
  if (edit == nullptr) return;
  if (dx->save) {
    *member = edit->text();
  } else {
    edit->setText(*member);
  }
}

void CDialog::keyPressEvent(QKeyEvent* event) {
  // Enter ends the window like OK, whatever control has the focus; Esc like Cancel.
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      accept();
      return;
    }
  }
  QDialog::keyPressEvent(event);
}
