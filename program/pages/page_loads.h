// Page loads: the one owner of what the six picture boxes are loading and
// showing, and of the photo files fetched for them and ahead of them.
//
// A page is six list positions of the photo index, one per box (the paging
// indices as they stood when the page was asked for). Loading a page takes
// each box's item once, when the load starts (siteBase + the item is the
// photo's address), reads the six photos together, re-encodes each as BMP
// and writes its box as soon as its photo is done. A photo that cannot be
// read or decoded leaves its box with no picture (an empty byte set); it
// never shows another box's photo. A box whose place lies past the end of
// the index (an empty item) makes no request and stays empty. Two boxes of
// one load with the same address share one read.
//
// The load begun last is the current one. Beginning a load supersedes the
// one before: from then on the older load writes no box and its reads and
// any fetching ahead stop. A box is written only while its load is current,
// checked and written in one step, so a superseded load can never overwrite
// what a newer one has shown. Each box of the current load is in one state:
// loading, shown, failed (written empty) or superseded; the state is kept
// here only, and readers (the viewer, the benchmarks) ask for it.
//
// Every photo file read is kept in a small bounded store of the files the
// site sent, keyed by address. An address names the same photo for the whole
// program run, so the store outlives updates and index replacements. Once a
// page is shown and no update is running, the photos of the next page (and,
// after paging back, of the previous one) are read ahead into the store, a
// page's six together; a page whose photos are there is converted and shown
// without a request. What a box shows never depends on where its file came
// from. The store also remembers addresses whose read failed in a way every
// later read would repeat (an address that cannot be requested, an answer
// over a cap or leading off the site): they are not read again and their
// boxes fail at once. A read stopped because its load or read-ahead was
// cancelled, or one the site did not answer, is remembered as nothing: the
// photo is read again when next wanted.
//
// Ownership: the window's creation routine makes the window's PageLoads
// (NewWindowPageLoads); the routines reach it through WindowPageLoads().
// Every task a PageLoads starts holds it, so it lives until the last of
// them ends, whatever replaces it meanwhile.
//
// Threads: every member may be called on any thread and returns at once,
// except LoadPageHere, which blocks on the network (never call it on the
// window thread).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "program/pages/photo_cache.h"
#include "program/routines/runtime_link.h"

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
using BoxStates = std::array<BoxState, kPageBoxes>;

class PageLoads : public std::enable_shared_from_this<PageLoads> {
 public:
  PageLoads();
  ~PageLoads();
  PageLoads(const PageLoads&) = delete;
  PageLoads& operator=(const PageLoads&) = delete;

  // Makes `places` the current load and starts a page loader thread for it.
  void ShowPage(const PagePlaces& places, PageMove move);
  // The page loader thread's work: runs the current load unless another
  // loader has taken it already (a later click's load supersedes an earlier
  // one before its thread starts).
  void RunRequestedPage();
  // Makes `places` the current load and loads it on this thread; returns
  // once every box is written, at once when superseded.
  void LoadPageHere(const PagePlaces& places, PhotoReads reads);
  // Makes `places` the current load and loads it on a worker task, its
  // photos read together; false when no task could start (the program is
  // ending). The load is running until LoadRunning says otherwise.
  bool LoadPageBeside(const PagePlaces& places);
  // Whether the load begun last by LoadPageBeside is still current and has
  // boxes left to write.
  bool BesideLoadRunning() const;

  // An update begins: reading ahead stops until the index is replaced.
  void UpdateBegins();
  // The index has been replaced: when a box of the current page took an
  // item that its place no longer holds, the page is loaded again (a page
  // load like a click's); otherwise its neighbours are read ahead.
  void IndexReplaced();

  // The states of the current load's boxes.
  BoxStates States() const;
  // How many photo files the store holds now.
  std::size_t StoredPhotos() const;
  // The photo a box shows for list position `position`, when the current
  // load has finished and shows that position (no request); otherwise
  // nothing.
  std::optional<base::Bytes> ShownPhoto(std::int32_t position) const;

 private:
  struct Load;
  struct PendingRead;
  using LoadPtr = std::shared_ptr<Load>;

  LoadPtr BeginLoad(const PagePlaces& places, PageMove move, bool taken);
  void RunLoad(const LoadPtr& load, PhotoReads reads);
  void TakeItems(Load& load);
  void LoadBox(Load& load, const rt::TransferScope& scope, int k);
  void LoadBoxes(const LoadPtr& load, const rt::TransferScope& scope, PhotoReads reads);
  PhotoCache::File ReadPhoto(Load& load, const std::string& address,
                             const rt::TransferScope& scope);
  bool IsCurrent(const Load& load) const;
  void WriteBoxIfCurrent(Load& load, int k, base::Bytes bmp);

  // The read-ahead (page_reads_ahead.cpp).
  void StopReadingAheadLocked();
  void StartReadingAhead(const Load* shown);
  void ReadAhead(const rt::TransferScope& scope,
                 const std::vector<std::vector<std::string>>& pages);
  void ReadAheadTogether(const rt::TransferScope& scope, const std::vector<std::string>& page);
  std::vector<std::vector<std::string>> NeighboursToReadLocked(const Load& load);
  bool AheadWantedLocked(const rt::TransferScope& scope) const;

  // Everything below is guarded by `mutex_`, which is also held while a box
  // is written, so "still current" and the write are one step.
  mutable std::mutex mutex_;
  std::uint64_t serial_ = 0;
  LoadPtr current_;
  std::uint64_t besideSerial_ = 0;  // the load LoadPageBeside began last
  bool updating_ = false;
  PhotoCache store_;
  // The scope of the read-ahead running now; held by its task alone.
  std::weak_ptr<korvex::TransferScope> ahead_;
};

// The window's page loads; made anew by NewWindowPageLoads. Any thread.
std::shared_ptr<PageLoads> WindowPageLoads();
// A new window: no page loaded, nothing stored.
void NewWindowPageLoads();

// The photo at `item` (a site-relative address from the index, GBK, used as
// it is) as a BMP file, or the empty byte set when it cannot be read or
// decoded; an empty item makes no request. Reads the site every time, the
// read stopped when `scope` (if any) is cancelled; blocks; any thread.
base::Bytes LoadPhotoAsBmp(const std::string& item, const rt::TransferScope& scope = {});

// siteBase + `item`, or the empty text when no request is to be made for
// it: an empty item (a place past the end of the index) or an address that
// would leave the site. Any thread.
std::string PhotoAddress(const std::string& item);

}  // namespace pixaroo
