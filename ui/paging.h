// Paging through the photo index and loading a page of six photos.
//
// The paging indices (app/globals.h, one per picture box) always hold six
// consecutive list positions n .. n+5, n a multiple of kPageStep; the
// "下一页" / "上一页" routines move all six by kPageStep and start a page
// loader on a worker thread, so consecutive pages share one photo.
//
// LoadPage reads each box's index when that box's turn comes, downloads the
// photo at siteBase + the index item, re-encodes it as BMP and writes it into
// the box. A photo that cannot be downloaded or decoded leaves its box with
// no picture (an empty byte set); it never shows another box's photo.
// LoadPage blocks on the network: call it from a worker thread, never from
// the window thread. Several loaders may run at once; the last writer of a
// box wins.
#pragma once

#include <cstdint>
#include <string>

#include "base/bytes.h"

namespace pixaroo {

// How far one click moves the page; a page shows six photos, so the last
// photo of a page is the first of the next.
inline constexpr std::int32_t kPageStep = 5;
inline constexpr int kPageBoxes = 6;

// Loads the page the paging indices name into 图片框1 .. 图片框6, box by box.
void LoadPage();

// The photo at `item` (a site-relative address from the index, GBK, used as
// it is) as a BMP file, or the empty byte set when it cannot be downloaded
// or decoded. Blocks on the network; any thread.
base::Bytes LoadPhotoAsBmp(const std::string& item);

}  // namespace pixaroo
