// The state of every unit of the window, shared by the window thread and the
// worker threads.
//
// UnitModel holds what the program can read back from a unit: list items,
// picture bytes, status-bar texts, the disabled flag and the dialog's chosen
// file name. All operations are thread-safe (one mutex) and never block on
// the window: views learn of changes through an observer that is called
// after the change, outside the state lock. The observer must not block;
// the Qt view only posts a queued notification. SetObserver(nullptr) waits
// until no observer call is in flight, so a view can detach and then die.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/core/stored_picture.h"
#include "runtime/services/services.h"

namespace korvex {

enum class UnitKind {
  Window,
  MenuEntry,
  Picture,
  GroupBox,
  Button,
  ListBox,
  Dialog,
  StatusBar,
  Other
};

UnitKind KindOfType(std::uint32_t typeId);

// What changed, for views.
struct UnitChange {
  enum class What { ListItems, Picture, StatusText, StatusProgress, Disabled } what;
  std::uint32_t unit;
};

class UnitModel {
 public:
  struct UnitInfo {
    std::uint32_t id;
    std::uint32_t typeId;
  };
  using Observer = std::function<void(const UnitChange&)>;

  explicit UnitModel(const std::vector<UnitInfo>& units);
  UnitModel(const UnitModel&) = delete;
  UnitModel& operator=(const UnitModel&) = delete;

  UnitKind Kind(std::uint32_t unit) const;

  int ListCount(std::uint32_t list) const;
  std::string ListItem(std::uint32_t list, int index) const;  // "" when out of range
  std::vector<std::string> ListItems(std::uint32_t list) const;
  // Views keep up with a list cheaply: the items from position `from` on,
  // with the number of times the list has been cleared so far (a view that
  // saw another number starts again from 0).
  struct ListTail {
    std::uint64_t clears = 0;
    std::vector<std::string> items;
  };
  ListTail ListItemsFrom(std::uint32_t list, std::size_t from) const;
  void ListAdd(std::uint32_t list, const std::string& text);
  void ListClear(std::uint32_t list);
  // Replaces every item in one step: a reader sees the old items or the new
  // ones, never a list in between. Counts as a clear for ListItemsFrom.
  void ListReplace(std::uint32_t list, std::vector<std::string> items);

  PropertyValue ReadProperty(std::uint32_t unit, int property) const;
  // True when the property reads as the empty text (no value; a text or
  // byte set that is empty or starts with NUL), found without a copy.
  bool PropertyEmpty(std::uint32_t unit, int property) const;
  // A picture box's bytes as the model holds them, shared rather than
  // copied (null when the box is empty); they never change once written. A
  // large picture is held in a file (stored_picture.h).
  std::shared_ptr<const StoredPicture> Picture(std::uint32_t unit) const;
  // True for a unit whose disabled flag is set (buttons); false otherwise.
  bool IsDisabled(std::uint32_t unit) const;
  // The value is moved in: a picture's bytes are kept, not copied.
  void WriteProperty(std::uint32_t unit, int property, PropertyValue value);

  void SetStatusText(std::uint32_t statusBar, int part, const std::string& text);
  std::string StatusText(std::uint32_t statusBar, int part) const;

  // A status bar's progress bar: `value` of `maximum`; maximum 0 hides it.
  struct Progress {
    int value = 0;
    int maximum = 0;
    friend bool operator==(const Progress&, const Progress&) = default;
  };
  void SetStatusProgress(std::uint32_t statusBar, Progress progress);
  Progress StatusProgress(std::uint32_t statusBar) const;

  // Set when a dialog closes: the chosen name as the program's text (read as
  // its property 10) and as the file system spells it; both "" after cancel.
  void SetDialogFileName(std::uint32_t dialog, const std::string& text,
                         const std::string& fileName);
  // The file system's name of the file last chosen in a dialog whose text
  // is `text`; "" when no dialog holds that text.
  std::string ChosenFileName(const std::string& text) const;

  void SetObserver(Observer observer);

 private:
  struct State {
    UnitKind kind = UnitKind::Other;
    std::vector<std::string> items;
    std::uint64_t clears = 0;
    std::shared_ptr<const StoredPicture> picture;  // null: no picture
    std::map<int, std::string> statusTexts;
    Progress progress;
    bool disabled = false;
    std::string dialogFile;      // the program's text
    std::string dialogFileName;  // the file system's spelling
  };

  void Notify(UnitChange::What what, std::uint32_t unit);

  mutable std::mutex mutex_;
  std::map<std::uint32_t, State> units_;
  std::mutex observerMutex_;  // held while the observer runs
  Observer observer_;
};

}  // namespace korvex
