// QtFront: the runtime's window drawn with Qt Widgets.
//
// Builds the window and every unit from the parsed window description (the
// only source of the layout), draws the unit model's state, and forwards
// clicks, right-clicks and closing to the runtime. SIGTERM, SIGINT and SIGHUP
// close the window as its close button does (see close_signals.h). Widgets are touched only
// on the GUI thread, which is the thread that created the QtFront; model
// changes made by worker threads arrive through queued, coalesced
// notifications. Post() may be called from any thread.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "runtime/core/front.h"

class QApplication;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QShortcut;
class QWidget;

namespace korvex {

class CloseSignals;
class PictureBox;
class MainWindow;
class PhotoViewer;
class ViewerOpener;

class QtFront final : public QObject, public Front {
 public:
  // Creates the application object unless one exists.
  QtFront();
  ~QtFront() override;

  void CreateWindow(const form::Form& form, UnitModel& model, FrontEvents& events) override;
  void RunLoop() override;
  void Quit() override;
  void Post(std::function<void()> task) override;
  std::uint32_t PopupMenu(std::uint32_t menu) override;
  std::string SaveFileDialog(std::uint32_t dialog) override;
  void MessageBox(const std::string& text, int flags, const std::string& title) override;
  void BindKey(std::uint32_t unit, int key) override;
  void BindViewer(ViewerSource source) override;

  // For tests and screenshots.
  QWidget* Window() const;
  QWidget* UnitWidget(std::uint32_t unit) const;
  QMenu* Menu(std::uint32_t menu) const;
  PhotoViewer* Viewer() const { return viewer_.get(); }  // null until bound
  // Applies every pending model change now (normally done by the event loop).
  void Refresh();

 private:
  void BuildUnits(const form::Form& form);
  QWidget* BuildUnit(const form::Unit& unit, QWidget* parent);
  void BuildMenus(const form::Form& form);
  void OnModelChange(const UnitChange& change);
  void Apply(const UnitChange& change);
  // Closes the window (its closing event runs) and leaves every event loop.
  void CloseOnSignal();
  // The Menu key or Shift+F10 on a picture box: its right-click, the menu
  // opening on the box rather than at the mouse.
  void MenuKey(std::uint32_t unit);
  // Gives each picture box the accessible name of what it shows.
  void NameBoxes();

  std::unique_ptr<QApplication> ownedApp_;
  std::unique_ptr<CloseSignals> closeSignals_;
  UnitModel* model_ = nullptr;
  FrontEvents* events_ = nullptr;
  const form::Form* form_ = nullptr;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<PhotoViewer> viewer_;   // goes before the window
  ViewerOpener* viewerOpener_ = nullptr;  // owned by this front
  std::map<std::uint32_t, QPointer<QWidget>> widgets_;
  std::map<std::uint32_t, QMenu*> menus_;             // top-level entry -> its popup
  std::map<const void*, std::uint32_t> actionUnits_;  // QAction* -> entry unit id
  std::map<int, QShortcut*> keys_;                    // key code -> its shortcut
  ViewerSource source_;                               // the photos' places; empty until bound
  std::optional<QPoint> popupAt_;                     // where a menu asked for by key opens

  std::map<std::uint32_t, std::uint64_t> listClears_;  // per list, as last shown

  std::mutex pendingMutex_;
  std::set<std::pair<int, std::uint32_t>> pending_;  // coalesced changes
  bool refreshQueued_ = false;
};

}  // namespace korvex
