#include "program/pages/viewer_photos.h"

#include <mutex>

#include "program/routines/globals.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "program/pages/page_loads.h"

namespace pixaroo {
namespace {

// The scope of the viewer's latest fetch; guarded by g_fetchMutex.
std::mutex g_fetchMutex;
rt::TransferScope g_latestFetch;

// A new scope for a fetch, stopping the one before.
rt::TransferScope BeginFetch() {
  rt::TransferScope scope = rt::NewTransferScope();
  rt::TransferScope earlier;
  {
    std::lock_guard lock(g_fetchMutex);
    earlier = std::exchange(g_latestFetch, scope);
  }
  if (earlier) rt::CancelTransfers(earlier);
  return scope;
}

void EndFetch(const rt::TransferScope& scope) {
  std::lock_guard lock(g_fetchMutex);
  // The scope goes back to the runtime with its last holder, while the
  // runtime is still there.
  if (g_latestFetch == scope) g_latestFetch.reset();
}

}  // namespace

int ViewerPositionOf(std::uint32_t box) {
  for (int k = 0; k < kPageBoxes; ++k) {
    if (units::kPictures[k].unit == box) return kPictureIndices[k]->load();
  }
  return -1;
}

base::Bytes ViewerPhotoAt(int position) {
  if (position < 0 || position >= rt::ListCount(units::kIndexList)) return {};
  if (auto shown = WindowPageLoads()->ShownPhoto(position)) return std::move(*shown);
  const rt::TransferScope scope = BeginFetch();
  base::Bytes photo = LoadPhotoAsBmp(rt::ListItem(units::kIndexList, position), scope);
  EndFetch(scope);
  return photo;
}

void BindPhotoViewer() {
  korvex::ViewerPhotos photos;
  photos.positionOf = ViewerPositionOf;
  photos.count = [] { return rt::ListCount(units::kIndexList); };
  photos.photoAt = ViewerPhotoAt;
  rt::BindViewer(std::move(photos));
}

}  // namespace pixaroo
