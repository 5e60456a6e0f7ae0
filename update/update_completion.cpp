// The update completion: the photo index without repeats, and its total.
#include <string>

#include "app/event_routines.h"
#include "app/program_texts.h"
#include "app/runtime_link.h"
#include "app/units.h"
#include "text/deduplicate.h"
#include "update/update.h"

namespace pixaroo {

base::TextArray DistinctIndexItems(const base::TextArray& items) {
  base::Text joined;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) joined += texts::kIndexSeparator;
    joined += items[i];
  }
  const base::Text separator(texts::kIndexSeparator);
  return base::Split(DeduplicateJoined(joined, separator), separator);
}

void UpdateCompletion() {
  const int count = rt::ListCount(units::kIndexList);
  base::TextArray items;
  items.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) items.push_back(rt::ListItem(units::kIndexList, i));

  const base::TextArray distinct = DistinctIndexItems(items);
  rt::ListClear(units::kIndexList);
  for (const base::Text& item : distinct) rt::ListAdd(units::kIndexList, item);

  std::string status(texts::kStatusDonePrefix);
  status += base::ToText(rt::ListCount(units::kIndexList));
  status += texts::kStatusCountSuffix;
  rt::SetStatusText(units::kStatusBar, 0, status);
}

void UpdateCompletionThread(std::int32_t, std::int32_t, std::int32_t) { UpdateCompletion(); }

}  // namespace pixaroo
