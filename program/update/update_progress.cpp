#include "program/update/update_progress.h"

#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

constexpr int kListPages = kLastListPage - kFirstListPage + 1;
constexpr int kProgressMaximum = kListPages * kProgressPerListPage;

}  // namespace

UpdateProgress::UpdateProgress() { Show(); }

void UpdateProgress::ListPageRead(std::size_t itemPages) {
  itemPages_ = itemPages;
  itemPagesDone_ = 0;
  Show();
}

void UpdateProgress::ItemPageDone() {
  if (itemPagesDone_ < itemPages_) ++itemPagesDone_;
  Show();
}

void UpdateProgress::ListPageDone() {
  if (listPagesDone_ < kListPages) ++listPagesDone_;
  itemPages_ = 0;
  itemPagesDone_ = 0;
  Show();
}

void UpdateProgress::Show() const {
  int value = listPagesDone_ * kProgressPerListPage;
  if (itemPages_ > 0) {
    value += static_cast<int>(itemPagesDone_ * kProgressPerListPage / itemPages_);
  }
  rt::SetStatusProgress(units::kStatusBar, value, kProgressMaximum);
}

void HideUpdateProgress() { rt::SetStatusProgress(units::kStatusBar, 0, 0); }

}  // namespace pixaroo
