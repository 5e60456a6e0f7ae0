// Page loads: the one owner of what the six picture boxes are loading and
// showing, and of the neighbouring pages' photo files fetched ahead.
//
// A page is six list positions of the photo index, one per box (the paging
// indices as they stood when the page was asked for). Loading a page takes
// each box's item (siteBase + the item is the photo's address), reads the
// photo, re-encodes it as BMP and writes the box as soon as its photo is
// done. A photo that cannot be read or decoded leaves its box with no
// picture (an empty byte set); it never shows another box's photo.
//
// The load begun last is the current one. Beginning a load supersedes the
// one before: from then on the older load writes no box and its reads and
// any fetching ahead stop. A box is written only while its load is current,
// checked and written in one step, so a superseded load can never overwrite
// what a newer one has shown. Each box of the current load is in one state:
// loading, shown, failed (written empty) or superseded.
//
// Once a page is shown and no update is running, the photos of the next page
// (and, after paging back, of the previous one) are read ahead on a worker
// task into a small bounded store of the files the site sent; a page whose
// photos are there is converted and shown without a request. What a box
// shows never depends on where its file came from. The store is cleared
// when an update begins and when the index is replaced.
//
// Threads: every function may be called on any thread and returns at once,
// except LoadPageHere, which blocks on the network (never call it on the
// window thread). The owner's state lives from the window's creation to the
// end of the program; nothing here outlives the runtime's services.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "program/routines/runtime_link.h"
#include "base/bytes.h"

namespace pixaroo {

// How far one paging click moves the page; a page shows six photos, so the
// last photo of a page is the first of the next.
inline constexpr std::int32_t kPageStep = 5;
inline constexpr int kPageBoxes = 6;

// A page: the list position of each box's photo, 图片框1 .. 图片框6.
using PagePlaces = std::array<std::int32_t, kPageBoxes>;

// The paging indices as they stand now.
PagePlaces CurrentPlaces();

// How the user reached a page: it decides which neighbours are read ahead
// (the next page always; the previous one too after paging back).
enum class PageMove { Stay, Forward, Back };

// Whether the six photos of a page are read together or one after another.
enum class PhotoReads { Together, OneAfterAnother };

// None: no page has been asked for since the window was created.
enum class BoxState { None, Loading, Shown, Failed, Superseded };

// Makes `places` the current load and starts a page loader thread for it.
void ShowPage(const PagePlaces& places, PageMove move);
// The page loader thread's work: runs the current load unless another
// loader has taken it already (a later click's load supersedes an earlier
// one before its thread starts).
void RunRequestedPage();
// Makes `places` the current load and loads it on this thread; returns once
// every box is written, at once when superseded.
void LoadPageHere(const PagePlaces& places, PhotoReads reads);

// An update begins: reading ahead stops and the store is emptied; nothing
// is read ahead again until the index is replaced.
void UpdateBegins();
// The index has been replaced: the store is emptied; when a box of the
// current page took an item that its place no longer holds, the page is
// loaded again (a page load like a click's); otherwise its neighbours are
// read ahead.
void IndexReplaced();
// A new window: no page loaded, nothing stored.
void ResetPageLoads();

// The states of the current load's boxes.
std::array<BoxState, kPageBoxes> PageBoxStates();
// How many photo files the read-ahead store holds now.
std::size_t StoredPhotos();

// The photo at `item` (a site-relative address from the index, GBK, used as
// it is) as a BMP file, or the empty byte set when it cannot be read or
// decoded. Reads the site every time, the read stopped when `scope` (if
// any) is cancelled; blocks; any thread.
base::Bytes LoadPhotoAsBmp(const std::string& item, const rt::TransferScope& scope = {});

// The photo a box shows for list position `position`, when the current load
// has finished and shows that position (no request); otherwise nothing.
// Any thread.
std::optional<base::Bytes> ShownPhoto(std::int32_t position);

}  // namespace pixaroo
