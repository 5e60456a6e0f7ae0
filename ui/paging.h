// Paging through the photo index and loading a page of six photos.
//
// The paging indices (app/globals.h, one per picture box) always hold six
// consecutive list positions n .. n+5, n a multiple of kPageStep; the
// "下一页" / "上一页" routines move all six by kPageStep and start a page
// loader on a worker thread, so consecutive pages share one photo.
//
// A page load carries the page it was started for: the six indices as they
// stood when it began. It downloads the six photos together (siteBase + the
// index item), re-encodes each as BMP and writes each box as its photo
// arrives. A photo that cannot be downloaded or decoded leaves its box with
// no picture (an empty byte set); it never shows another box's photo.
//
// The load begun last is the current one. Beginning a load supersedes the
// one before: from then on the older load writes no box and its transfers
// stop. A box is written only while its load is current, checked and
// written in one step, so a superseded load can never overwrite what a newer
// one has shown.
//
// BeginPageLoad may be called on any thread (the click routines call it on
// the window thread); RunPageLoad blocks on the network: call it from a
// worker thread, never from the window thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/runtime_link.h"
#include "base/bytes.h"

namespace pixaroo {

// How far one click moves the page; a page shows six photos, so the last
// photo of a page is the first of the next.
inline constexpr std::int32_t kPageStep = 5;
inline constexpr int kPageBoxes = 6;

struct PageLoad;

// Starts a load of the page the paging indices name now; it becomes the
// current load, superseding (and stopping) the one before.
std::shared_ptr<PageLoad> BeginPageLoad();

// Loads `load`'s page into 图片框1 .. 图片框6: `photosInFlight` photos are
// fetched together (1: one after another, box by box). Returns once every
// box is written or skipped; at once for a superseded load.
void RunPageLoad(const std::shared_ptr<PageLoad>& load, int photosInFlight = kPageBoxes);

// True while no later load has begun.
bool IsCurrentPageLoad(const PageLoad& load);

// The photo at `item` (a site-relative address from the index, GBK, used as
// it is) as a BMP file, or the empty byte set when it cannot be downloaded
// or decoded. Blocks on the network; any thread.
base::Bytes LoadPhotoAsBmp(const std::string& item);
// The same, its read stopped when `scope` is cancelled.
base::Bytes LoadPhotoAsBmp(const std::string& item, const rt::TransferScope& scope);

// The photo the boxes show for list position `position`, when the page
// load begun last has finished and `position` is on its page (no request);
// otherwise nothing. Any thread.
std::optional<base::Bytes> ShownPhoto(std::int32_t position);

}  // namespace pixaroo
