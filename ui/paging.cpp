// Paging through the photo index and the page loader.
#include "ui/paging.h"

#include <iterator>

#include "app/event_routines.h"
#include "app/globals.h"
#include "app/runtime_link.h"
#include "app/site_base.h"
#include "app/units.h"
#include "imaging/convert_image_format.h"

namespace pixaroo {

static_assert(std::size(units::kPictures) == kPageBoxes);
static_assert(std::size(kPictureIndices) == kPageBoxes);

base::Bytes LoadPhotoAsBmp(const std::string& item) {
  const base::Bytes downloaded = rt::HttpRead(SiteBase() + item);
  // A fresh result per photo: a failed conversion leaves it empty, so the
  // box shows nothing rather than the photo of an earlier box.
  base::Bytes bmp;
  ConvertImageFormat(downloaded, kFormatBmp, bmp);
  return bmp;
}

void LoadPage() {
  for (int k = 0; k < kPageBoxes; ++k) {
    // Read when this box's turn comes: a click during the load moves the
    // indices of the boxes still to come.
    const std::int32_t index = kPictureIndices[k]->load();
    const std::string item = rt::ListItem(units::kIndexList, index);
    rt::WritePicture(units::kPictures[k], LoadPhotoAsBmp(item));
  }
}

void ShowNextPage(std::int32_t, std::int32_t, std::int32_t) {
  for (auto* index : kPictureIndices) index->fetch_add(kPageStep);
  rt::StartThread(Routine::PageLoaderThread);
}

void ShowPreviousPage(std::int32_t, std::int32_t, std::int32_t) {
  // The first page has no page before it: nothing moves, nothing reloads.
  if (pictureIndex1.load() == 0) return;
  for (auto* index : kPictureIndices) index->fetch_sub(kPageStep);
  rt::StartThread(Routine::PageLoaderThread);
}

void PageLoaderThread(std::int32_t, std::int32_t, std::int32_t) { LoadPage(); }

}  // namespace pixaroo
