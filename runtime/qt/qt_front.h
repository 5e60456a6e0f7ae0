// QtFront: the runtime's window drawn with Qt Widgets.
//
// Builds the window and every unit from the parsed window description (the
// only source of the layout), draws the unit model's state, and forwards
// clicks, right-clicks and closing to the runtime. Widgets are touched only
// on the GUI thread, which is the thread that created the QtFront; model
// changes made by worker threads arrive through queued, coalesced
// notifications. Post() may be called from any thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
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

  std::unique_ptr<QApplication> ownedApp_;
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

  std::map<std::uint32_t, std::uint64_t> listClears_;  // per list, as last shown

  std::mutex pendingMutex_;
  std::set<std::pair<int, std::uint32_t>> pending_;  // coalesced changes
  bool refreshQueued_ = false;
};

}  // namespace korvex
