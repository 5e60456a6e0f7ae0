// The photo index as the runtime's photo viewer walks it (double-click on a
// photo): which position a box shows, how many photos there are, and the
// photo at a position.
//
// A photo the boxes show for a finished page is read from its box (no
// request); any other is fetched from the site as a page load fetches it
// (siteBase + the index item, re-encoded as BMP). Only the latest fetch
// matters: beginning one stops the one before. Fetches run on the
// runtime's workers, never on the window thread.
#pragma once

#include <cstdint>

#include "base/bytes.h"

namespace pixaroo {

// Hands the viewer its photos (the runtime's bindViewer). Window thread,
// once the window exists.
void BindPhotoViewer();

// The list position the picture box `box` (a unit id) shows, -1 for a unit
// that is not one of the six photo boxes. Any thread.
int ViewerPositionOf(std::uint32_t box);

// The photo at list position `position` as a BMP file, empty when there is
// none or it cannot be had. Blocks on the network; worker threads only.
base::Bytes ViewerPhotoAt(int position);

}  // namespace pixaroo
