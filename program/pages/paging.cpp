// Paging through the photo index: the click routines move the paging
// indices and hand the page they name to the page loads (program/pages/page_loads.h);
// the page loader thread runs it.
#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/pages/page_loads.h"

namespace pixaroo {

PagePlaces CurrentPlaces() {
  PagePlaces places{};
  for (int k = 0; k < kPageBoxes; ++k) places[k] = kPictureIndices[k]->load();
  return places;
}

void ShowNextPage(std::int32_t, std::int32_t, std::int32_t) {
  for (auto* index : kPictureIndices) index->fetch_add(kPageStep);
  WindowPageLoads()->ShowPage(CurrentPlaces(), PageMove::Forward);
}

void ShowPreviousPage(std::int32_t, std::int32_t, std::int32_t) {
  // The first page has no page before it: nothing moves, nothing reloads.
  if (pictureIndex1.load() == 0) return;
  for (auto* index : kPictureIndices) index->fetch_sub(kPageStep);
  WindowPageLoads()->ShowPage(CurrentPlaces(), PageMove::Back);
}

void PageLoaderThread(std::int32_t, std::int32_t, std::int32_t) {
  WindowPageLoads()->RunRequestedPage();
}

}  // namespace pixaroo
