// The one bound on full-size pictures held at once in the process: every
// decode to full size (a conversion's, a view's) first takes a lease on its
// picture's pixel count, and together the leases never pass kPixelBudget,
// however many threads decode. A lease beyond what is free waits until
// enough is given back; a single picture never needs more than the budget
// (the decoders' own limit, gdiplus.h), so every lease is granted in time.
//
// A thread holds at most one lease at a time (two could wait on each
// other). Leases are movable, not copyable; any thread.
#pragma once

#include <cstdint>

namespace gdiplus {

// 64 megapixels: one of the largest pictures the decoders take, or many
// smaller ones.
inline constexpr std::uint64_t kPixelBudget = std::uint64_t{8192} * 8192;

class PixelLease {
 public:
  PixelLease() = default;
  // Waits until `pixels` (at most the budget) are free, then holds them.
  explicit PixelLease(std::uint64_t pixels);
  ~PixelLease();
  PixelLease(PixelLease&& other) noexcept;
  PixelLease& operator=(PixelLease&& other) noexcept;
  PixelLease(const PixelLease&) = delete;
  PixelLease& operator=(const PixelLease&) = delete;

  std::uint64_t pixels() const { return pixels_; }

 private:
  std::uint64_t pixels_ = 0;
};

// Pixels held by leases now, and leases waiting for their turn; for tests
// and benchmarks.
std::uint64_t PixelsInFlight();
int PixelLeasesWaiting();

// Tests only: a smaller budget (0: kPixelBudget again). Not while leases
// are held.
void SetPixelBudgetForTesting(std::uint64_t pixels);

}  // namespace gdiplus
