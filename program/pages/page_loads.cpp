// Page loads: the current load and its boxes' states, superseding, and the
// six photos of a page read together.
#include "program/pages/page_loads.h"

#include <iterator>
#include <utility>

#include "program/imaging/convert_image_format.h"
#include "program/pages/page_loads_impl.h"
#include "program/routines/globals.h"
#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"

namespace pixaroo {

static_assert(std::size(units::kPictures) == kPageBoxes);
static_assert(std::size(kPictureIndices) == kPageBoxes);

namespace {

// The store: the shown page and both its neighbours, and never more than a
// few photo-sized files.
constexpr std::size_t kStoredPhotos = 3 * kPageBoxes;
constexpr std::size_t kStoredBytes = 24u << 20;

// The window's page loads.
Guarded<std::shared_ptr<PageLoads>> g_window;

// Counts the pieces of work still running on other threads.
struct WorkLeft {
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

}  // namespace

void RunTogether(int count, const std::function<void(int)>& work) {
  auto left = std::make_shared<WorkLeft>();
  for (int k = 1; k < count; ++k) {
    {
      std::lock_guard lock(left->mutex);
      ++left->left;
    }
    const bool started = rt::StartTask([&work, left, k] {
      work(k);
      left->Finish();
    });
    if (!started) {  // the program is ending: do it here
      work(k);
      left->Finish();
    }
  }
  if (count > 0) work(0);
  left->Wait();
}

std::string PhotoAddress(const std::string& item) {
  return item.empty() ? std::string() : SiteAddress(item);
}

PageLoads::PageLoads() : store_(kStoredPhotos, kStoredBytes) {}

PageLoads::~PageLoads() {
  if (const rt::TransferScope scope = ahead_.lock()) rt::CancelTransfers(scope);
}

PageLoads::LoadPtr PageLoads::BeginLoad(const PagePlaces& places, PageMove move, bool taken) {
  auto load = std::make_shared<Load>();
  load->places = places;
  load->move = move;
  load->taken = taken;
  load->states.fill(BoxState::Loading);
  rt::TransferScope superseded;
  {
    std::lock_guard lock(mutex_);
    load->serial = ++serial_;
    if (current_) {
      superseded = current_->scope;
      for (BoxState& state : current_->states) {
        if (state == BoxState::Loading) state = BoxState::Superseded;
      }
    }
    current_ = load;
    StopReadingAheadLocked();
  }
  if (superseded) rt::CancelTransfers(superseded);
  return load;
}

// Each box's item, recorded as the one the box took; nothing once a later
// load has begun.
void PageLoads::TakeItems(Load& load) {
  std::lock_guard lock(mutex_);
  if (load.serial != serial_) return;
  for (int k = 0; k < kPageBoxes; ++k) {
    load.items[k] = rt::ListItem(units::kIndexList, load.places[k]);
  }
}

// The file at `address`: from the store when it holds it, else from the
// read another box of `load` has begun for it, else read and stored. Null
// when nothing was read, or the store knows the address gives nothing.
PhotoCache::File PageLoads::ReadPhoto(Load& load, const std::string& address,
                                      const rt::TransferScope& scope) {
  std::shared_ptr<PendingRead> pending;
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    if (PhotoCache::File file = store_.Find(address)) return file;
    if (store_.Unavailable(address)) return nullptr;
    auto [it, added] = load.reads.try_emplace(address);
    if (added) it->second = std::make_shared<PendingRead>();
    pending = it->second;
    first = added;
  }
  // Another box of this load reads it: its file is this box's too.
  if (!first) return pending->Wait();
  rt::ReadResult read = rt::HttpRead(address, scope);
  PhotoCache::File file;
  if (read.ok() && !read->empty()) {
    file = StoredFile(std::move(read).value());
    std::lock_guard lock(mutex_);
    store_.Put(address, file);
  } else if (!read.ok() && FailsAgain(read.error())) {
    std::lock_guard lock(mutex_);
    store_.PutUnavailable(address);
  }
  pending->Finish(file);
  return file;
}

bool PageLoads::IsCurrent(const Load& load) const {
  std::lock_guard lock(mutex_);
  return load.serial == serial_;
}

// Writes box `k` for `load` unless a later load has begun.
void PageLoads::WriteBoxIfCurrent(Load& load, int k, base::Bytes bmp) {
  std::lock_guard lock(mutex_);
  if (load.serial != serial_) return;
  load.states[k] = bmp.empty() ? BoxState::Failed : BoxState::Shown;
  rt::WritePicture(units::kPictures[k], std::move(bmp));
}

void PageLoads::LoadBox(Load& load, const rt::TransferScope& scope, int k) {
  std::string address;
  {
    std::lock_guard lock(mutex_);
    if (load.serial != serial_ || !load.items[k]) return;
    address = PhotoAddress(*load.items[k]);
  }
  // A fresh result per photo: a failed conversion leaves it empty, so the
  // box shows nothing rather than the photo of an earlier box.
  // A load superseded meanwhile, also while it waited for its turn to
  // convert (quick paging), spends no conversion: it writes nothing anyway,
  // since a load never becomes current again.
  base::Bytes bmp;
  if (!address.empty()) {
    if (const PhotoCache::File file = ReadPhoto(load, address, scope)) {
      ConvertImageFormatIfWanted(*file, kFormatBmp, bmp, [&] { return IsCurrent(load); });
    }
  }
  WriteBoxIfCurrent(load, k, std::move(bmp));
}

void PageLoads::LoadBoxes(const LoadPtr& load, const rt::TransferScope& scope, PhotoReads reads) {
  if (reads == PhotoReads::OneAfterAnother) {
    for (int k = 0; k < kPageBoxes; ++k) LoadBox(*load, scope, k);
    return;
  }
  RunTogether(kPageBoxes, [&](int k) { LoadBox(*load, scope, k); });
}

void PageLoads::RunLoad(const LoadPtr& load, PhotoReads reads) {
  const rt::TransferScope scope = rt::NewTransferScope();
  {
    // Superseded before it began: nothing to do. Otherwise a later load
    // finds the scope and stops its reads.
    std::lock_guard lock(mutex_);
    if (load->serial != serial_) return;
    load->scope = scope;
  }
  TakeItems(*load);
  LoadBoxes(load, scope, reads);
  {
    std::lock_guard lock(mutex_);
    load->scope.reset();
    load->reads.clear();
    load->finished = true;
  }
  StartReadingAhead(load.get());
}

void PageLoads::ShowPage(const PagePlaces& places, PageMove move) {
  BeginLoad(places, move, false);
  rt::StartThread(Routine::PageLoaderThread);
}

void PageLoads::RunRequestedPage() {
  LoadPtr load;
  {
    std::lock_guard lock(mutex_);
    if (current_ && !current_->taken) {
      current_->taken = true;
      load = current_;
    }
  }
  if (load) RunLoad(load, PhotoReads::Together);
}

void PageLoads::LoadPageHere(const PagePlaces& places, PhotoReads reads) {
  RunLoad(BeginLoad(places, PageMove::Stay, true), reads);
}

bool PageLoads::LoadPageBeside(const PagePlaces& places) {
  LoadPtr load = BeginLoad(places, PageMove::Stay, true);
  {
    std::lock_guard lock(mutex_);
    besideSerial_ = load->serial;
  }
  return rt::StartTask([self = shared_from_this(), load = std::move(load)] {
    self->RunLoad(load, PhotoReads::Together);
  });
}

bool PageLoads::BesideLoadRunning() const {
  std::lock_guard lock(mutex_);
  return current_ && current_->serial == besideSerial_ && !current_->finished;
}

void PageLoads::UpdateBegins() {
  std::lock_guard lock(mutex_);
  updating_ = true;
  StopReadingAheadLocked();
}

void PageLoads::IndexReplaced() {
  std::optional<PagePlaces> reload;
  const Load* shown = nullptr;
  {
    std::lock_guard lock(mutex_);
    updating_ = false;
    StopReadingAheadLocked();
    if (current_) {
      shown = current_.get();
      for (int k = 0; k < kPageBoxes; ++k) {
        const auto& took = current_->items[k];
        if (took && *took != rt::ListItem(units::kIndexList, current_->places[k])) {
          reload = current_->places;
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

BoxStates PageLoads::States() const {
  std::lock_guard lock(mutex_);
  BoxStates states{};
  states.fill(BoxState::None);
  if (current_) states = current_->states;
  return states;
}

std::size_t PageLoads::StoredPhotos() const {
  std::lock_guard lock(mutex_);
  return store_.Photos();
}

std::optional<base::Bytes> PageLoads::ShownPhoto(std::int32_t position) const {
  // Under the lock that box writes take: the boxes are the finished load's.
  std::lock_guard lock(mutex_);
  if (!current_ || !current_->finished) return std::nullopt;
  for (int k = 0; k < kPageBoxes; ++k) {
    if (current_->places[k] != position || current_->states[k] != BoxState::Shown) continue;
    base::Bytes photo = rt::ReadPicture(units::kPictures[k]);
    if (!photo.empty()) return photo;
  }
  return std::nullopt;
}

std::shared_ptr<PageLoads> WindowPageLoads() {
  return g_window.With([](std::shared_ptr<PageLoads>& loads) {
    if (!loads) loads = std::make_shared<PageLoads>();
    return loads;
  });
}

void NewWindowPageLoads() { g_window.Set(std::make_shared<PageLoads>()); }

base::Bytes LoadPhotoAsBmp(const std::string& item, const rt::TransferScope& scope) {
  base::Bytes bmp;
  const std::string address = PhotoAddress(item);
  if (!address.empty()) {
    ConvertImageFormat(rt::BodyOrEmpty(rt::HttpRead(address, scope)), kFormatBmp, bmp);
  }
  return bmp;
}

}  // namespace pixaroo
