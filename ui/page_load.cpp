// Page loads: the current load, superseding, and the six photos of a page
// fetched together.
#include <array>
#include <condition_variable>
#include <iterator>
#include <mutex>

#include "app/globals.h"
#include "app/runtime_link.h"
#include "app/site_base.h"
#include "app/units.h"
#include "imaging/convert_image_format.h"
#include "ui/paging.h"

namespace pixaroo {

static_assert(std::size(units::kPictures) == kPageBoxes);
static_assert(std::size(kPictureIndices) == kPageBoxes);

struct PageLoad {
  std::uint64_t serial = 0;
  std::array<std::int32_t, kPageBoxes> indices{};
  // The scope of its reads while it runs (guarded by g_currentMutex). Only a
  // running load holds one, so no scope outlives the runtime's services in
  // a load left waiting when the program ends.
  rt::TransferScope scope;
};

namespace {

// The current load and its serial; guarded by g_currentMutex, which is also
// held while a box is written, so "still current" and the write are one
// step.
std::mutex g_currentMutex;
std::uint64_t g_currentSerial = 0;
std::weak_ptr<PageLoad> g_current;

// Writes box `k` for `load` unless a later load has begun.
void WriteBoxIfCurrent(const PageLoad& load, int k, base::Bytes bmp) {
  std::lock_guard lock(g_currentMutex);
  if (load.serial != g_currentSerial) return;
  rt::WritePicture(units::kPictures[k], std::move(bmp));
}

base::Bytes FetchPhotoAsBmp(const std::string& item, const rt::TransferScope& scope) {
  const std::string address = SiteAddress(item);
  const base::Bytes downloaded = address.empty() ? base::Bytes() : rt::HttpRead(address, scope);
  // A fresh result per photo: a failed conversion leaves it empty, so the
  // box shows nothing rather than the photo of an earlier box.
  base::Bytes bmp;
  ConvertImageFormat(downloaded, kFormatBmp, bmp);
  return bmp;
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

void LoadBox(const PageLoad& load, const rt::TransferScope& scope, int k) {
  if (!IsCurrentPageLoad(load)) return;
  const std::string item = rt::ListItem(units::kIndexList, load.indices[k]);
  base::Bytes bmp = FetchPhotoAsBmp(item, scope);
  WriteBoxIfCurrent(load, k, std::move(bmp));
}

// Loads the boxes: `photosInFlight` at a time, box 1 on this thread.
void LoadBoxes(const std::shared_ptr<PageLoad>& load, const rt::TransferScope& scope,
               int photosInFlight) {
  if (photosInFlight <= 1) {
    for (int k = 0; k < kPageBoxes; ++k) LoadBox(*load, scope, k);
    return;
  }
  // Boxes 2 .. 6 on worker tasks; a box whose task cannot start (the
  // program is ending) is loaded here.
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
    if (!started) {
      LoadBox(*load, scope, k);
      left->Finish();
    }
  }
  LoadBox(*load, scope, 0);
  left->Wait();
}

}  // namespace

std::shared_ptr<PageLoad> BeginPageLoad() {
  auto load = std::make_shared<PageLoad>();
  for (int k = 0; k < kPageBoxes; ++k) load->indices[k] = kPictureIndices[k]->load();
  rt::TransferScope superseded;
  {
    std::lock_guard lock(g_currentMutex);
    load->serial = ++g_currentSerial;
    if (const auto older = g_current.lock()) superseded = older->scope;
    g_current = load;
  }
  if (superseded) rt::CancelTransfers(superseded);
  return load;
}

bool IsCurrentPageLoad(const PageLoad& load) {
  std::lock_guard lock(g_currentMutex);
  return load.serial == g_currentSerial;
}

void RunPageLoad(const std::shared_ptr<PageLoad>& load, int photosInFlight) {
  const rt::TransferScope scope = rt::NewTransferScope();
  {
    // Superseded before it began: nothing to do. Otherwise a later load
    // finds the scope and stops its reads.
    std::lock_guard lock(g_currentMutex);
    if (load->serial != g_currentSerial) return;
    load->scope = scope;
  }
  LoadBoxes(load, scope, photosInFlight);
  std::lock_guard lock(g_currentMutex);
  load->scope.reset();
}

base::Bytes LoadPhotoAsBmp(const std::string& item) { return FetchPhotoAsBmp(item, nullptr); }

}  // namespace pixaroo
