// QtFront's drawing of the unit model's changes: changes reported from any
// thread are coalesced and applied on the GUI thread in one refresh.
#include "runtime/qt/qt_front.h"

#include <QLabel>
#include <QListWidget>
#include <mutex>

#include "runtime/qt/gbk_qstring.h"
#include "runtime/qt/picture_box.h"
#include "runtime/qt/status_progress.h"

namespace korvex {

// Any thread: remember the change and make sure one refresh is queued.
void QtFront::OnModelChange(const UnitChange& change) {
  {
    std::lock_guard lock(pendingMutex_);
    pending_.insert({static_cast<int>(change.what), change.unit});
    if (refreshQueued_) return;
    refreshQueued_ = true;
  }
  QMetaObject::invokeMethod(
      this, [this] { Refresh(); }, Qt::QueuedConnection);
}

void QtFront::Refresh() {
  std::set<std::pair<int, std::uint32_t>> changes;
  {
    std::lock_guard lock(pendingMutex_);
    changes.swap(pending_);
    refreshQueued_ = false;
  }
  for (const auto& [what, unit] : changes) {
    Apply(UnitChange{static_cast<UnitChange::What>(what), unit});
  }
}

void QtFront::Apply(const UnitChange& change) {
  QWidget* w = UnitWidget(change.unit);
  if (w == nullptr || model_ == nullptr) return;
  switch (change.what) {
    case UnitChange::What::Picture:
      if (auto* box = dynamic_cast<PictureBox*>(w)) {
        // The model's own bytes, shared: the view keeps only the scaled image.
        box->SetPicture(model_->Picture(change.unit));
        NameBoxes();
      }
      break;
    case UnitChange::What::ListItems:
      if (auto* list = dynamic_cast<QListWidget*>(w)) {
        // Lists mostly grow at the end: fetch only what the view lacks,
        // unless the list was cleared since the view last looked.
        auto& seen = listClears_[change.unit];
        auto tail = model_->ListItemsFrom(change.unit, static_cast<std::size_t>(list->count()));
        if (tail.clears != seen) {
          seen = tail.clears;
          list->clear();
          tail = model_->ListItemsFrom(change.unit, 0);
          seen = tail.clears;
        }
        for (const auto& item : tail.items) list->addItem(FromGbk(item));
        NameBoxes();  // the total has changed
      }
      break;
    case UnitChange::What::StatusText:
      if (auto* label = dynamic_cast<QLabel*>(w)) {
        label->setText(FromGbk(model_->StatusText(change.unit, 0)));
        label->setAccessibleDescription(label->text());  // read after its name
      }
      break;
    case UnitChange::What::StatusProgress:
      if (auto* label = dynamic_cast<QLabel*>(w)) {
        ShowStatusProgress(label, model_->StatusProgress(change.unit));
      }
      break;
    case UnitChange::What::Disabled: {
      const auto v = model_->ReadProperty(change.unit, kPropDisabled);
      const auto* disabled = std::get_if<bool>(&v);
      w->setEnabled(disabled == nullptr || !*disabled);
      break;
    }
  }
}

}  // namespace korvex
