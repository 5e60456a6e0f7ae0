#include "runtime/qt/qt_front.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>

#include "base/text_ops.h"
#include "runtime/qt/close_signals.h"
#include "runtime/qt/font_map.h"
#include "runtime/qt/gbk_qstring.h"
#include "runtime/qt/main_window.h"
#include "runtime/qt/photo_viewer.h"
#include "runtime/qt/picture_box.h"
#include "runtime/qt/placement.h"
#include "runtime/qt/program_icon.h"
#include "runtime/qt/qt_language.h"
#include "runtime/qt/save_dialog.h"

namespace korvex {
namespace {

// The Qt key of a virtual-key code; Qt::Key_unknown for one we do not bind.
Qt::Key QtKey(int key) {
  switch (key) {
    case kKeyPageUp:
      return Qt::Key_PageUp;
    case kKeyPageDown:
      return Qt::Key_PageDown;
    case kKeyLeft:
      return Qt::Key_Left;
    case kKeyRight:
      return Qt::Key_Right;
    default:
      return Qt::Key_unknown;
  }
}

// The icon a message box's flags ask for (MB_ICONSTOP 0x10, MB_ICONQUESTION
// 0x20, MB_ICONWARNING 0x30, MB_ICONINFORMATION 0x40).
QMessageBox::Icon IconOf(int flags) {
  switch (flags & 0x70) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A message box that opens centred on its window within the screen: placed
// once its size is final, which a message box learns only as it shows, and
// before the window system maps it.
class PlacedMessageBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    PlaceOver(this, parentWidget());
  }
};

int g_argc = 1;
char g_arg0[] = "pixaroo";
char* g_argv[] = {g_arg0, nullptr};

}  // namespace

QtFront::QtFront() {
  if (QApplication::instance() == nullptr) {
    ownedApp_ = std::make_unique<QApplication>(g_argc, g_argv);
  }
  InstallFontSubstitutes();
  InstallChineseTranslations();
}

QtFront::~QtFront() {
  closeSignals_.reset();
  if (model_ != nullptr) model_->SetObserver(nullptr);
  viewer_.reset();
  window_.reset();
  // Pictures still being decoded for the boxes that just went: wait for
  // them (each is one bounded decode), so that no pool thread outlives the
  // window into the end of the process.
  QThreadPool::globalInstance()->waitForDone();
}

void QtFront::CreateWindow(const form::Form& form, UnitModel& model, FrontEvents& events) {
  form_ = &form;
  model_ = &model;
  events_ = &events;
  window_ = std::make_unique<MainWindow>([this] { events_->OnWindowClosing(); });
  window_->setAttribute(Qt::WA_DeleteOnClose, false);
  const QIcon icon = ProgramIcon();
  QApplication::setWindowIcon(icon);  // the dialogs' and message boxes' too
  window_->setWindowIcon(icon);
  BuildUnits(form);
  BuildMenus(form);
  NameBoxes();
  model.SetObserver([this](const UnitChange& c) { OnModelChange(c); });
  closeSignals_ = std::make_unique<CloseSignals>([this] { CloseOnSignal(); });
  window_->show();
}

void QtFront::CloseOnSignal() {
  if (!window_) return;
  // As the close button: the closing event writes what it writes on any
  // close. An open menu, dialog or message box and the viewer end with it.
  window_->close();
  Quit();
}

void QtFront::BuildUnits(const form::Form& form) {
  const form::Unit* windowUnit = form.FindUnit(form::kWindowUnitId);
  if (windowUnit != nullptr) {
    if (const auto s = form::ReadWindowSettings(*windowUnit)) {
      window_->setWindowTitle(FromGbk(s->title));
    }
    // The stored place and size are the frame's; the client area inside it
    // keeps its size.
    window_->move(windowUnit->left, windowUnit->top);
    window_->setFixedSize(ClientSizeOfFrame(windowUnit->width, windowUnit->height));
    widgets_[windowUnit->id] = window_.get();
  }
  // Containers first: records list children before the group box that holds
  // them. Units whose parent is not built yet go to the window and are
  // re-parented once it exists.
  std::vector<const form::Unit*> order;
  for (const auto& u : form.units) {
    if (u.typeId == form::kTypeGroupBox) order.push_back(&u);
  }
  for (const auto& u : form.units) {
    if (u.typeId != form::kTypeGroupBox) order.push_back(&u);
  }
  for (const form::Unit* u : order) {
    if (u->IsMenuEntry() || u->id == form::kWindowUnitId) continue;
    if (QWidget* w = BuildUnit(*u, window_.get())) widgets_[u->id] = w;
  }
  for (const form::Unit* u : order) {
    const auto self = widgets_.find(u->id);
    if (self == widgets_.end() || u->id == form::kWindowUnitId) continue;
    const auto parent = widgets_.find(u->parent);
    QWidget* p = (u->parent == 0 || parent == widgets_.end()) ? window_.get() : parent->second;
    self->second->setParent(p);
    self->second->setGeometry(u->left, u->top, u->width, u->height);
    self->second->setVisible((u->flags & form::kFlagVisible) != 0);
    // A status bar docks at the window's bottom edge: its stored top would
    // put it across the button row.
    if (u->typeId == form::kTypeStatusBar && p == window_.get()) {
      window_->DockAtBottom(self->second);
    }
  }
  // Later records lie beneath earlier ones, so raise in reverse record order.
  for (auto it = form.units.rbegin(); it != form.units.rend(); ++it) {
    const auto w = widgets_.find(it->id);
    if (w != widgets_.end() && it->id != form::kWindowUnitId) w->second->raise();
  }
}

QWidget* QtFront::BuildUnit(const form::Unit& unit, QWidget* parent) {
  const std::uint32_t id = unit.id;
  const auto focus = (unit.flags & form::kFlagTakesFocus) ? Qt::StrongFocus : Qt::NoFocus;
  QWidget* w = nullptr;
  switch (unit.typeId) {
    case form::kTypeGroupBox:
      w = new QGroupBox(parent);
      break;
    case form::kTypePictureBox: {
      auto* box = new PictureBox(parent, [this, id](int event, int x, int y) {
        events_->OnUnitEvent(id, event, x, y, 0);
      });
      box->SetMenuKeyHandler([this, id] { MenuKey(id); });
      w = box;
      break;
    }
    case form::kTypeButton: {
      auto* b = new QPushButton(parent);
      if (const auto s = form::ReadButtonSettings(unit)) b->setText(FromGbk(s->caption));
      QObject::connect(b, &QPushButton::clicked,
                       [this, id] { events_->OnUnitEvent(id, form::kEventButtonClicked); });
      w = b;
      break;
    }
    case form::kTypeListBox:
      w = new QListWidget(parent);
      break;
    case form::kTypeStatusBar: {
      auto* l = new QLabel(parent);
      l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      l->setIndent(2);
      if (const auto s = form::ReadStatusBarSettings(unit)) l->setFont(FontFromLogFont(s->font));
      l->setAccessibleName(QString::fromUtf8("状态栏"));
      w = l;
      break;
    }
    default:
      return nullptr;  // dialogs and unknown types have no widget
  }
  w->setObjectName(FromGbk(unit.name));
  // A picture box with a right-click routine takes the focus too, so that
  // the keyboard reaches its menu (Menu key, Shift+F10).
  const bool hasMenu = std::any_of(unit.events.begin(), unit.events.end(), [](const auto& e) {
    return e.event == form::kEventRightButtonDown;
  });
  w->setFocusPolicy(unit.typeId == form::kTypePictureBox && hasMenu ? Qt::StrongFocus : focus);
  w->setEnabled(unit.disabled == 0);
  return w;
}

void QtFront::BuildMenus(const form::Form& form) {
  // An entry belongs to the nearest earlier entry one level up.
  QMenu* current = nullptr;
  for (const auto& u : form.units) {
    if (!u.IsMenuEntry()) continue;
    if (u.level == 0) {
      current = new QMenu(FromGbk(u.caption), window_.get());
      menus_[u.id] = current;
      actionUnits_[current->menuAction()] = u.id;
    } else if (current != nullptr) {
      QAction* a = current->addAction(FromGbk(u.caption));
      actionUnits_[a] = u.id;
    }
  }
}

void QtFront::RunLoop() {
  if (!window_ || !window_->isVisible()) return;
  QApplication::setQuitOnLastWindowClosed(true);
  QApplication::exec();
}

// Leaves every running event loop: the main one and those of an open menu,
// dialog or message box.
void QtFront::Quit() { QCoreApplication::exit(0); }

void QtFront::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

std::uint32_t QtFront::PopupMenu(std::uint32_t menu) {
  const auto it = menus_.find(menu);
  if (it == menus_.end()) return 0;
  // Asked for by key: on the box; by the mouse: where it is.
  QAction* chosen = it->second->exec(popupAt_.value_or(QCursor::pos()));
  if (chosen == nullptr) return 0;
  const auto unit = actionUnits_.find(chosen);
  return unit == actionUnits_.end() ? 0 : unit->second;
}

std::string QtFront::SaveFileDialog(std::uint32_t dialog) {
  const form::Unit* unit = form_ != nullptr ? form_->FindUnit(dialog) : nullptr;
  const auto settings = unit != nullptr ? form::ReadDialogSettings(*unit) : std::nullopt;
  SaveDialog box(window_.get());
  SetUpSaveDialog(box, settings ? &*settings : nullptr);
  // The name the program suggests (the dialog's file name as it opens).
  const PropertyValue suggested =
      model_ != nullptr ? model_->ReadProperty(dialog, kPropDialogFile) : PropertyValue();
  if (const auto* name = std::get_if<std::string>(&suggested); name != nullptr && !name->empty()) {
    box.selectFile(QFileInfo(FromGbk(*name)).fileName());
  }
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return {};
  return QFile::encodeName(box.selectedFiles().first()).toStdString();
}

void QtFront::MessageBox(const std::string& text, int flags, const std::string& title) {
  // Centred on the window, within the screen, however early it comes.
  PlacedMessageBox box(IconOf(flags), FromGbk(title), FromGbk(text), QMessageBox::Ok,
                       window_.get());
  box.exec();
}

void QtFront::BindKey(std::uint32_t unit, int key) {
  const Qt::Key qtKey = QtKey(key);
  if (qtKey == Qt::Key_unknown || !window_) return;
  delete keys_[key];
  // A window shortcut: it fires only while the window is the active one, so
  // not while a popup menu, a dialog or a message box is open. Going through
  // the button's own click, it does nothing while the button is disabled.
  auto* shortcut = new QShortcut(QKeySequence(qtKey), window_.get());
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, [this, unit] {
    if (auto* button = qobject_cast<QPushButton*>(UnitWidget(unit))) button->click();
  });
  keys_[key] = shortcut;
}

void QtFront::MenuKey(std::uint32_t unit) {
  QWidget* box = UnitWidget(unit);
  if (box == nullptr || events_ == nullptr) return;
  const QPoint centre = box->rect().center();
  popupAt_ = box->mapToGlobal(centre);
  events_->OnUnitEvent(unit, form::kEventRightButtonDown, centre.x(), centre.y(), 0);
  popupAt_.reset();
}

void QtFront::NameBoxes() {
  const int count = source_.count ? source_.count() : 0;
  for (const auto& [unit, widget] : widgets_) {
    auto* box = dynamic_cast<PictureBox*>(widget.data());
    if (box == nullptr) continue;
    const int position = source_.positionOf ? source_.positionOf(unit) : -1;
    const bool shows = model_ != nullptr && model_->Picture(unit) != nullptr;
    // A photo of the index says where it stands in it; any other picture
    // (the contact's badge) is named by its unit, less its serial number.
    QString name = box->objectName();
    if (position < 0) {
      name.remove(QRegularExpression("[0-9]+$"));
    } else if (shows) {
      name = QString::fromUtf8("照片 第 %1 张，共 %2 张").arg(position + 1).arg(count);
    } else {
      name += QString::fromUtf8("：没有照片");
    }
    box->setAccessibleName(name);
  }
}

void QtFront::BindViewer(ViewerSource source) {
  if (!window_ || model_ == nullptr) return;
  source_ = source;
  delete viewerOpener_;
  viewer_ = std::make_unique<PhotoViewer>(source);
  viewer_->setWindowIcon(window_->windowIcon());
  viewer_->SetAnchor(window_.get());
  viewerOpener_ = new ViewerOpener(this, viewer_.get(), std::move(source),
                                   [this](std::uint32_t box) { return model_->Picture(box); });
  for (const auto& [unit, widget] : widgets_) {
    if (dynamic_cast<PictureBox*>(widget.data()) != nullptr) viewerOpener_->Watch(widget, unit);
  }
  NameBoxes();
}

QWidget* QtFront::Window() const { return window_.get(); }

QWidget* QtFront::UnitWidget(std::uint32_t unit) const {
  const auto it = widgets_.find(unit);
  return it == widgets_.end() ? nullptr : it->second.data();
}

QMenu* QtFront::Menu(std::uint32_t menu) const {
  const auto it = menus_.find(menu);
  return it == menus_.end() ? nullptr : it->second;
}

}  // namespace korvex
