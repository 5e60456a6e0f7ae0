// The update's progress bar beside the status texts: list pages done out of
// the seven, refined within the list page being read by its item pages done
// out of those it links. The completion hides it once the total is shown.
//
// Owned by the update run, on its thread.
#pragma once

#include <cstddef>

namespace pixaroo {

// Steps of the bar per list page.
inline constexpr int kProgressPerListPage = 100;

class UpdateProgress {
 public:
  // Shows the bar at 0.
  UpdateProgress();

  // The list page being read links `itemPages` item pages.
  void ListPageRead(std::size_t itemPages);
  void ItemPageDone();
  void ListPageDone();

 private:
  void Show() const;

  int listPagesDone_ = 0;
  std::size_t itemPages_ = 0;
  std::size_t itemPagesDone_ = 0;
};

// Hides the bar (the completion, once the total is shown).
void HideUpdateProgress();

}  // namespace pixaroo
