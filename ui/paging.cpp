// Paging through the photo index: the click routines and the page loader
// thread.
#include "ui/paging.h"

#include <deque>
#include <memory>

#include "app/event_routines.h"
#include "app/globals.h"
#include "app/guarded.h"
#include "app/runtime_link.h"

namespace pixaroo {
namespace {

// Loads begun by clicks, oldest first, each waiting for its loader thread
// to take it (one thread is started per click).
Guarded<std::deque<std::shared_ptr<PageLoad>>> g_pendingLoads;

void StartLoader() {
  std::shared_ptr<PageLoad> load = BeginPageLoad();
  g_pendingLoads.With([&](auto& pending) { pending.push_back(std::move(load)); });
  rt::StartThread(Routine::PageLoaderThread);
}

}  // namespace

void ShowNextPage(std::int32_t, std::int32_t, std::int32_t) {
  for (auto* index : kPictureIndices) index->fetch_add(kPageStep);
  StartLoader();
}

void ShowPreviousPage(std::int32_t, std::int32_t, std::int32_t) {
  // The first page has no page before it: nothing moves, nothing reloads.
  if (pictureIndex1.load() == 0) return;
  for (auto* index : kPictureIndices) index->fetch_sub(kPageStep);
  StartLoader();
}

void PageLoaderThread(std::int32_t, std::int32_t, std::int32_t) {
  std::shared_ptr<PageLoad> load = g_pendingLoads.With([](auto& pending) {
    std::shared_ptr<PageLoad> oldest;
    if (!pending.empty()) {
      oldest = std::move(pending.front());
      pending.pop_front();
    }
    return oldest;
  });
  if (load) RunPageLoad(load);
}

}  // namespace pixaroo
