#include "runtime/core/unit_model.h"

#include <algorithm>

#include "runtime/form/unit_types.h"

namespace korvex {

UnitKind KindOfType(std::uint32_t typeId) {
  switch (typeId) {
    case form::kTypeWindow:
      return UnitKind::Window;
    case form::kTypeMenuEntry:
      return UnitKind::MenuEntry;
    case form::kTypePictureBox:
      return UnitKind::Picture;
    case form::kTypeGroupBox:
      return UnitKind::GroupBox;
    case form::kTypeButton:
      return UnitKind::Button;
    case form::kTypeListBox:
      return UnitKind::ListBox;
    case form::kTypeCommonDialog:
      return UnitKind::Dialog;
    case form::kTypeStatusBar:
      return UnitKind::StatusBar;
    default:
      return UnitKind::Other;
  }
}

UnitModel::UnitModel(const std::vector<UnitInfo>& units) {
  for (const auto& u : units) units_[u.id].kind = KindOfType(u.typeId);
}

UnitKind UnitModel::Kind(std::uint32_t unit) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(unit);
  return it == units_.end() ? UnitKind::Other : it->second.kind;
}

int UnitModel::ListCount(std::uint32_t list) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(list);
  return it == units_.end() ? 0 : static_cast<int>(it->second.items.size());
}

std::string UnitModel::ListItem(std::uint32_t list, int index) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(list);
  if (it == units_.end() || index < 0) return {};
  const auto& items = it->second.items;
  return static_cast<std::size_t>(index) < items.size() ? items[static_cast<std::size_t>(index)]
                                                        : std::string();
}

std::vector<std::string> UnitModel::ListItems(std::uint32_t list) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(list);
  return it == units_.end() ? std::vector<std::string>() : it->second.items;
}

UnitModel::ListTail UnitModel::ListItemsFrom(std::uint32_t list, std::size_t from) const {
  std::lock_guard lock(mutex_);
  ListTail tail;
  const auto it = units_.find(list);
  if (it == units_.end()) return tail;
  const auto& items = it->second.items;
  tail.clears = it->second.clears;
  if (from < items.size()) {
    tail.items.assign(items.begin() + static_cast<std::ptrdiff_t>(from), items.end());
  }
  return tail;
}

void UnitModel::ListAdd(std::uint32_t list, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(list);
    if (it == units_.end() || it->second.kind != UnitKind::ListBox) return;
    it->second.items.push_back(text);
  }
  Notify(UnitChange::What::ListItems, list);
}

void UnitModel::ListClear(std::uint32_t list) {
  {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(list);
    if (it == units_.end() || it->second.kind != UnitKind::ListBox) return;
    it->second.items.clear();
    ++it->second.clears;
  }
  Notify(UnitChange::What::ListItems, list);
}

void UnitModel::ListReplace(std::uint32_t list, std::vector<std::string> items) {
  {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(list);
    if (it == units_.end() || it->second.kind != UnitKind::ListBox) return;
    it->second.items = std::move(items);
    ++it->second.clears;
  }
  Notify(UnitChange::What::ListItems, list);
}

PropertyValue UnitModel::ReadProperty(std::uint32_t unit, int property) const {
  if (property == kPropPicture) {
    // Read outside the lock: a picture kept as its recipe is written again,
    // which may wait for the pixel budget, and the model stays free meanwhile.
    const std::shared_ptr<const StoredPicture> picture = Picture(unit);
    if (picture != nullptr) return picture->Read();
  }
  std::lock_guard lock(mutex_);
  const auto it = units_.find(unit);
  if (it == units_.end()) return {};
  const State& s = it->second;
  switch (s.kind) {
    case UnitKind::Picture:
      // One copy, moved into the value (a copy of the const bytes as the
      // conditional's result would be copied a second time).
      if (property == kPropPicture) return s.picture ? s.picture->Read() : base::Bytes();
      break;
    case UnitKind::Dialog:
      if (property == kPropDialogFile) return s.dialogFile;
      break;
    case UnitKind::Button:
      if (property == kPropDisabled) return s.disabled;
      break;
    default:
      break;
  }
  return {};
}

bool UnitModel::PropertyEmpty(std::uint32_t unit, int property) const {
  {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(unit);
    if (it == units_.end()) return true;
    const State& s = it->second;
    // A picture is never stored empty (an empty write clears it).
    if (s.kind == UnitKind::Picture && property == kPropPicture) {
      return !s.picture || s.picture->front() == 0;
    }
  }
  // Every other property is small: its value as read.
  const PropertyValue value = ReadProperty(unit, property);
  if (const auto* text = std::get_if<std::string>(&value)) return text->empty() || text->front() == 0;
  if (const auto* bytes = std::get_if<base::Bytes>(&value)) {
    return bytes->empty() || bytes->front() == 0;
  }
  return std::holds_alternative<std::monostate>(value);
}

std::shared_ptr<const StoredPicture> UnitModel::Picture(std::uint32_t unit) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(unit);
  return it != units_.end() ? it->second.picture : nullptr;
}

bool UnitModel::IsDisabled(std::uint32_t unit) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(unit);
  return it != units_.end() && it->second.kind == UnitKind::Button && it->second.disabled;
}

void UnitModel::WriteProperty(std::uint32_t unit, int property, PropertyValue value) {
  UnitChange::What what;
  // A picture is kept (a large one written to its file) before the lock.
  std::shared_ptr<const StoredPicture> kept;
  if (auto* b = std::get_if<base::Bytes>(&value); b != nullptr && property == kPropPicture) {
    kept = StoredPicture::Keep(std::move(*b));
  }
  {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(unit);
    if (it == units_.end()) return;
    State& s = it->second;
    if (s.kind == UnitKind::Picture && property == kPropPicture) {
      if (std::holds_alternative<base::Bytes>(value)) {
        s.picture = std::move(kept);
      } else if (std::holds_alternative<std::monostate>(value)) {
        s.picture = nullptr;
      } else {
        return;
      }
      what = UnitChange::What::Picture;
    } else if (s.kind == UnitKind::Button && property == kPropDisabled) {
      if (const auto* b = std::get_if<bool>(&value)) {
        s.disabled = *b;
      } else if (const auto* i = std::get_if<std::int32_t>(&value)) {
        s.disabled = *i != 0;
      } else {
        return;
      }
      what = UnitChange::What::Disabled;
    } else if (s.kind == UnitKind::Dialog && property == kPropDialogFile) {
      // The name the dialog suggests when it opens; nothing to redraw.
      if (const auto* t = std::get_if<std::string>(&value)) {
        s.dialogFile = *t;
        s.dialogFileName.clear();
      }
      return;
    } else {
      return;
    }
  }
  Notify(what, unit);
}

void UnitModel::SetStatusText(std::uint32_t statusBar, int part, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(statusBar);
    if (it == units_.end() || it->second.kind != UnitKind::StatusBar || part < 0) return;
    it->second.statusTexts[part] = text;
  }
  Notify(UnitChange::What::StatusText, statusBar);
}

std::string UnitModel::StatusText(std::uint32_t statusBar, int part) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(statusBar);
  if (it == units_.end()) return {};
  const auto t = it->second.statusTexts.find(part);
  return t == it->second.statusTexts.end() ? std::string() : t->second;
}

void UnitModel::SetStatusProgress(std::uint32_t statusBar, Progress progress) {
  if (progress.maximum < 0) progress.maximum = 0;
  progress.value = std::clamp(progress.value, 0, progress.maximum);
  {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(statusBar);
    if (it == units_.end() || it->second.kind != UnitKind::StatusBar) return;
    if (it->second.progress == progress) return;
    it->second.progress = progress;
  }
  Notify(UnitChange::What::StatusProgress, statusBar);
}

UnitModel::Progress UnitModel::StatusProgress(std::uint32_t statusBar) const {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(statusBar);
  return it == units_.end() ? Progress{} : it->second.progress;
}

void UnitModel::SetDialogFileName(std::uint32_t dialog, const std::string& text,
                                  const std::string& fileName) {
  std::lock_guard lock(mutex_);
  const auto it = units_.find(dialog);
  if (it == units_.end() || it->second.kind != UnitKind::Dialog) return;
  it->second.dialogFile = text;
  it->second.dialogFileName = fileName;
}

std::string UnitModel::ChosenFileName(const std::string& text) const {
  std::lock_guard lock(mutex_);
  for (const auto& [id, s] : units_) {
    if (s.kind == UnitKind::Dialog && !s.dialogFile.empty() && s.dialogFile == text) {
      return s.dialogFileName;
    }
  }
  return {};
}

void UnitModel::SetObserver(Observer observer) {
  std::lock_guard lock(observerMutex_);
  observer_ = std::move(observer);
}

void UnitModel::Notify(UnitChange::What what, std::uint32_t unit) {
  std::lock_guard lock(observerMutex_);
  if (observer_) observer_(UnitChange{what, unit});
}

}  // namespace korvex
