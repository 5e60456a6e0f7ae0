#include "platform/gdiplus/pixel_budget.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace gdiplus {
namespace {

struct Budget {
  std::mutex mutex;
  std::condition_variable freed;
  std::uint64_t limit = kPixelBudget;
  std::uint64_t held = 0;
  int waiting = 0;
};

Budget& TheBudget() {
  static Budget budget;
  return budget;
}

}  // namespace

PixelLease::PixelLease(std::uint64_t pixels) {
  Budget& b = TheBudget();
  std::unique_lock lock(b.mutex);
  // Never more than the whole budget, so that a lease alone always fits.
  pixels_ = std::min(pixels, b.limit);
  ++b.waiting;
  b.freed.wait(lock, [&] { return b.held + pixels_ <= b.limit; });
  --b.waiting;
  b.held += pixels_;
}

PixelLease::~PixelLease() {
  if (pixels_ == 0) return;
  Budget& b = TheBudget();
  {
    std::lock_guard lock(b.mutex);
    b.held -= pixels_;
  }
  b.freed.notify_all();
}

PixelLease::PixelLease(PixelLease&& other) noexcept : pixels_(std::exchange(other.pixels_, 0)) {}

PixelLease& PixelLease::operator=(PixelLease&& other) noexcept {
  if (this != &other) {
    PixelLease old(std::move(*this));
    pixels_ = std::exchange(other.pixels_, 0);
  }
  return *this;
}

std::uint64_t PixelsInFlight() {
  Budget& b = TheBudget();
  std::lock_guard lock(b.mutex);
  return b.held;
}

int PixelLeasesWaiting() {
  Budget& b = TheBudget();
  std::lock_guard lock(b.mutex);
  return b.waiting;
}

void SetPixelBudgetForTesting(std::uint64_t pixels) {
  Budget& b = TheBudget();
  {
    std::lock_guard lock(b.mutex);
    b.limit = pixels == 0 ? kPixelBudget : pixels;
  }
  b.freed.notify_all();
}

}  // namespace gdiplus
