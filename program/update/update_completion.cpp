// The update completion: the photo index without repeats, and its total.
#include <string>

#include "program/routines/event_routines.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"
#include "program/text/deduplicate.h"
#include "program/pages/page_loads.h"
#include "program/update/update.h"
#include "program/update/update_progress.h"

namespace pixaroo {

base::TextArray DistinctIndexItems(const base::TextArray& items) {
  base::Text joined;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) joined += ImageText(texts::Id::IndexSeparator);
    joined += items[i];
  }
  const base::Text separator(ImageText(texts::Id::IndexSeparator));
  return base::Split(DeduplicateJoined(joined, separator), separator);
}

void UpdateCompletion() {
  // One snapshot in, one replacement out: paging and closing never see the
  // index empty or half refilled.
  rt::ListReplace(units::kIndexList, DistinctIndexItems(rt::ListItems(units::kIndexList)));
  // The shown page is loaded again when its places now hold other photos.
  WindowPageLoads()->IndexReplaced();

  const bool listPageRead = TakeListPageRead();
  std::string status;
  if (listPageRead) {
    status = ImageText(texts::Id::StatusDonePrefix);
    status += base::ToText(rt::ListCount(units::kIndexList));
    status += ImageText(texts::Id::StatusCountSuffix);
  } else {
    // Nothing was reached: say so rather than report an update of 0
    // photos, and let the user try again.
    status = ImageText(texts::Id::StatusUnreachablePrefix);
    status += SiteBase();
    status += ImageText(texts::Id::StatusUnreachableSuffix);
  }
  rt::SetStatusText(units::kStatusBar, 0, status);
  HideUpdateProgress();
  if (!listPageRead) rt::SetDisabled(units::kUpdateButton, false);
}

void UpdateCompletionThread(std::int32_t, std::int32_t, std::int32_t) { UpdateCompletion(); }

}  // namespace pixaroo
