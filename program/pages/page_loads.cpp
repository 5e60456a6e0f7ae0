// Page loads: the current load and its boxes' states, superseding, the six
// photos of a page read together, and the neighbouring pages read ahead.
#include "program/pages/page_loads.h"

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "program/routines/globals.h"
#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"
#include "program/imaging/convert_image_format.h"
#include "program/pages/photo_cache.h"

namespace pixaroo {

static_assert(std::size(units::kPictures) == kPageBoxes);
static_assert(std::size(kPictureIndices) == kPageBoxes);

namespace {

// The read-ahead store: the shown page and both its neighbours, and never
// more than a few photo-sized files.
constexpr std::size_t kStoredPhotos = 3 * kPageBoxes;
constexpr std::size_t kStoredBytes = 24u << 20;

struct PageLoad {
  std::uint64_t serial = 0;
  PagePlaces places{};
  PageMove move = PageMove::Stay;
  bool taken = false;     // a thread runs it (or ran it)
  bool finished = false;  // every box written or skipped
  std::array<BoxState, kPageBoxes> states{};
  // The item each box took from the index, once taken.
  std::array<std::optional<std::string>, kPageBoxes> items;
  // The scope of its reads, only while it runs, so that no scope outlives
  // the runtime's services in a load left waiting when the program ends.
  rt::TransferScope scope;
};

// Everything below is guarded by `mutex`, which is also held while a box is
// written, so "still current" and the write are one step.
struct Owner {
  std::mutex mutex;
  std::uint64_t serial = 0;
  std::shared_ptr<PageLoad> current;
  bool updating = false;
  PhotoCache store{kStoredPhotos, kStoredBytes};
  // Bumped whenever the store is emptied: a read begun before keeps its
  // file out of the emptied store.
  std::uint64_t storeGeneration = 0;
  // The scope of the read-ahead running now; held by its task alone.
  std::weak_ptr<korvex::TransferScope> ahead;
};

Owner g_owner;

// siteBase + `item`, or the empty text when that address would leave the
// site: such a photo is never read and its box stays empty.
std::string AddressOf(const std::string& item) { return SiteAddress(item); }

void StopReadingAheadLocked() {
  if (const rt::TransferScope scope = g_owner.ahead.lock()) rt::CancelTransfers(scope);
  g_owner.ahead.reset();
}

void EmptyStoreLocked() {
  g_owner.store.Clear();
  ++g_owner.storeGeneration;
}

std::shared_ptr<PageLoad> BeginLoad(const PagePlaces& places, PageMove move, bool taken) {
  auto load = std::make_shared<PageLoad>();
  load->places = places;
  load->move = move;
  load->taken = taken;
  load->states.fill(BoxState::Loading);
  rt::TransferScope superseded;
  {
    std::lock_guard lock(g_owner.mutex);
    load->serial = ++g_owner.serial;
    if (const auto& older = g_owner.current) {
      superseded = older->scope;
      for (BoxState& state : older->states) {
        if (state == BoxState::Loading) state = BoxState::Superseded;
      }
    }
    g_owner.current = load;
    StopReadingAheadLocked();
  }
  if (superseded) rt::CancelTransfers(superseded);
  return load;
}

// The item of box `k`, recorded as the one the box took; none once a later
// load has begun.
std::optional<std::string> TakeItem(PageLoad& load, int k) {
  std::lock_guard lock(g_owner.mutex);
  if (load.serial != g_owner.serial) return std::nullopt;
  load.items[k] = rt::ListItem(units::kIndexList, load.places[k]);
  return load.items[k];
}

// The file at `address`: from the store when it holds it, else read (and
// kept in the store unless an update runs). Null when nothing was read.
PhotoCache::File ReadPhoto(const std::string& address, const rt::TransferScope& scope) {
  if (address.empty()) return nullptr;
  std::uint64_t generation = 0;
  {
    std::lock_guard lock(g_owner.mutex);
    if (PhotoCache::File file = g_owner.store.Find(address)) return file;
    generation = g_owner.storeGeneration;
  }
  base::Bytes body = rt::HttpRead(address, scope);
  if (body.empty()) return nullptr;
  auto file = std::make_shared<const base::Bytes>(std::move(body));
  std::lock_guard lock(g_owner.mutex);
  if (generation == g_owner.storeGeneration && !g_owner.updating) g_owner.store.Put(address, file);
  return file;
}

bool IsCurrent(const PageLoad& load) {
  std::lock_guard lock(g_owner.mutex);
  return load.serial == g_owner.serial;
}

// Writes box `k` for `load` unless a later load has begun.
void WriteBoxIfCurrent(PageLoad& load, int k, base::Bytes bmp) {
  std::lock_guard lock(g_owner.mutex);
  if (load.serial != g_owner.serial) return;
  load.states[k] = bmp.empty() ? BoxState::Failed : BoxState::Shown;
  rt::WritePicture(units::kPictures[k], std::move(bmp));
}

void LoadBox(PageLoad& load, const rt::TransferScope& scope, int k) {
  const std::optional<std::string> item = TakeItem(load, k);
  if (!item) return;
  // A fresh result per photo: a failed conversion leaves it empty, so the
  // box shows nothing rather than the photo of an earlier box.
  // A load superseded meanwhile, also while it waited for its turn to
  // convert (quick paging), spends no conversion: it writes nothing anyway,
  // since a load never becomes current again.
  base::Bytes bmp;
  if (const PhotoCache::File file = ReadPhoto(AddressOf(*item), scope)) {
    ConvertImageFormatIfWanted(*file, kFormatBmp, bmp, [&] { return IsCurrent(load); });
  }
  WriteBoxIfCurrent(load, k, std::move(bmp));
}

// Counts the boxes still loading on other threads.
struct BoxesLeft {
  std::mutex mutex;
  std::condition_variable done;
  int left = 0;

  void Finish() {
    std::lock_guard lock(mutex);
    if (--left == 0) done.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return left == 0; });
  }
};

// Loads the boxes; read together, boxes 2 .. 6 go to worker tasks and box 1
// is loaded on this thread.
void LoadBoxes(const std::shared_ptr<PageLoad>& load, const rt::TransferScope& scope,
               PhotoReads reads) {
  if (reads == PhotoReads::OneAfterAnother) {
    for (int k = 0; k < kPageBoxes; ++k) LoadBox(*load, scope, k);
    return;
  }
  auto left = std::make_shared<BoxesLeft>();
  for (int k = 1; k < kPageBoxes; ++k) {
    {
      std::lock_guard lock(left->mutex);
      ++left->left;
    }
    const bool started = rt::StartTask([load, scope, left, k] {
      LoadBox(*load, scope, k);
      left->Finish();
    });
    if (!started) {  // the program is ending: load it here
      LoadBox(*load, scope, k);
      left->Finish();
    }
  }
  LoadBox(*load, scope, 0);
  left->Wait();
}

// Reads `addresses` one after another into the store, until `scope` is no
// longer the read-ahead running or the store has been emptied.
void ReadAhead(const rt::TransferScope& scope, std::uint64_t generation,
               const std::vector<std::string>& addresses) {
  auto stillWanted = [&] {
    return g_owner.ahead.lock() == scope && g_owner.storeGeneration == generation;
  };
  for (const std::string& address : addresses) {
    {
      std::lock_guard lock(g_owner.mutex);
      if (!stillWanted()) return;
    }
    base::Bytes body = rt::HttpRead(address, scope);
    if (body.empty()) continue;
    std::lock_guard lock(g_owner.mutex);
    if (!stillWanted()) return;
    g_owner.store.Put(address, std::make_shared<const base::Bytes>(std::move(body)));
  }
  std::lock_guard lock(g_owner.mutex);
  if (g_owner.ahead.lock() == scope) g_owner.ahead.reset();
}

// The addresses of the current page's neighbours that the store lacks, the
// likelier next page first; positions past the index's end are left out.
std::vector<std::string> NeighboursToReadLocked(const PageLoad& load) {
  const bool back = load.move == PageMove::Back && load.places[0] >= kPageStep;
  std::vector<std::int32_t> positions;
  for (const std::int32_t step : back ? std::vector{-kPageStep, kPageStep} : std::vector{kPageStep}) {
    for (const std::int32_t place : load.places) positions.push_back(place + step);
  }
  const int count = rt::ListCount(units::kIndexList);
  std::vector<std::string> addresses;
  for (std::int32_t position : positions) {
    if (position < 0 || position >= count) continue;
    std::string address = AddressOf(rt::ListItem(units::kIndexList, position));
    if (address.empty() || g_owner.store.Find(address)) continue;
    if (std::find(addresses.begin(), addresses.end(), address) != addresses.end()) continue;
    addresses.push_back(std::move(address));
  }
  return addresses;
}

// Starts reading the neighbours of `shown` ahead, when it is still the
// current load, is shown and no update runs.
void StartReadingAhead(const PageLoad* shown) {
  rt::TransferScope scope;
  std::uint64_t generation = 0;
  std::vector<std::string> addresses;
  {
    std::lock_guard lock(g_owner.mutex);
    const auto& current = g_owner.current;
    if (!current || current.get() != shown || !current->finished || g_owner.updating) return;
    StopReadingAheadLocked();
    addresses = NeighboursToReadLocked(*current);
    if (addresses.empty()) return;
    scope = rt::NewTransferScope();
    g_owner.ahead = scope;
    generation = g_owner.storeGeneration;
  }
  // Not started once the program is ending: nothing is read ahead then.
  rt::StartTask([scope, generation, addresses = std::move(addresses)] {
    ReadAhead(scope, generation, addresses);
  });
}

void RunLoad(const std::shared_ptr<PageLoad>& load, PhotoReads reads) {
  const rt::TransferScope scope = rt::NewTransferScope();
  {
    // Superseded before it began: nothing to do. Otherwise a later load
    // finds the scope and stops its reads.
    std::lock_guard lock(g_owner.mutex);
    if (load->serial != g_owner.serial) return;
    load->scope = scope;
  }
  LoadBoxes(load, scope, reads);
  {
    std::lock_guard lock(g_owner.mutex);
    load->scope.reset();
    load->finished = true;
  }
  StartReadingAhead(load.get());
}

}  // namespace

void ShowPage(const PagePlaces& places, PageMove move) {
  BeginLoad(places, move, false);
  rt::StartThread(Routine::PageLoaderThread);
}

void RunRequestedPage() {
  std::shared_ptr<PageLoad> load;
  {
    std::lock_guard lock(g_owner.mutex);
    if (g_owner.current && !g_owner.current->taken) {
      g_owner.current->taken = true;
      load = g_owner.current;
    }
  }
  if (load) RunLoad(load, PhotoReads::Together);
}

void LoadPageHere(const PagePlaces& places, PhotoReads reads) {
  RunLoad(BeginLoad(places, PageMove::Stay, true), reads);
}

void UpdateBegins() {
  std::lock_guard lock(g_owner.mutex);
  g_owner.updating = true;
  StopReadingAheadLocked();
  EmptyStoreLocked();
}

void IndexReplaced() {
  std::optional<PagePlaces> reload;
  const PageLoad* shown = nullptr;
  {
    std::lock_guard lock(g_owner.mutex);
    g_owner.updating = false;
    StopReadingAheadLocked();
    EmptyStoreLocked();
    if (const auto& current = g_owner.current) {
      shown = current.get();
      for (int k = 0; k < kPageBoxes; ++k) {
        const auto& took = current->items[k];
        if (took && *took != rt::ListItem(units::kIndexList, current->places[k])) {
          reload = current->places;
        }
      }
    }
  }
  if (reload) {
    ShowPage(*reload, PageMove::Stay);
  } else {
    StartReadingAhead(shown);
  }
}

void ResetPageLoads() {
  std::lock_guard lock(g_owner.mutex);
  ++g_owner.serial;
  g_owner.current.reset();
  g_owner.updating = false;
  StopReadingAheadLocked();
  EmptyStoreLocked();
}

std::array<BoxState, kPageBoxes> PageBoxStates() {
  std::lock_guard lock(g_owner.mutex);
  std::array<BoxState, kPageBoxes> states{};
  states.fill(BoxState::None);
  if (g_owner.current) states = g_owner.current->states;
  return states;
}

std::size_t StoredPhotos() {
  std::lock_guard lock(g_owner.mutex);
  return g_owner.store.Photos();
}

base::Bytes LoadPhotoAsBmp(const std::string& item, const rt::TransferScope& scope) {
  base::Bytes bmp;
  const std::string address = AddressOf(item);
  if (!address.empty()) ConvertImageFormat(rt::HttpRead(address, scope), kFormatBmp, bmp);
  return bmp;
}

std::optional<base::Bytes> ShownPhoto(std::int32_t position) {
  // Under the lock that box writes take: the boxes are the finished load's.
  std::lock_guard lock(g_owner.mutex);
  const auto& current = g_owner.current;
  if (!current || !current->finished) return std::nullopt;
  for (int k = 0; k < kPageBoxes; ++k) {
    if (current->places[k] != position || current->states[k] != BoxState::Shown) continue;
    base::Bytes photo = rt::ReadPicture(units::kPictures[k]);
    if (!photo.empty()) return photo;
  }
  return std::nullopt;
}

}  // namespace pixaroo
