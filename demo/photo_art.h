// Pictures for the demo gallery, painted in code: photos are colour
// gradients with their number drawn large in blocks (and the list page
// number small in a corner), so that a page of photos is easy to tell
// apart; the status badge is a small "online" button.
//
// Pure functions returning rasters the caller owns; any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace pixaroo::demo {

inline constexpr int kStatusBadgeWidth = 74;
inline constexpr int kStatusBadgeHeight = 22;
// Largest side a painted picture may have.
inline constexpr int kMaxPaintedSide = 4096;

// 8-bit RGB pixels, rows top to bottom, no padding.
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  std::uint8_t* At(int x, int y) {
    return &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(x)) *
                3];
  }
};

// A photo of width x height (each clamped to 1 .. kMaxPaintedSide).
Raster PaintPhoto(int width, int height, int number, int listPage);

// The support account's online badge, kStatusBadgeWidth x kStatusBadgeHeight.
Raster PaintStatusBadge();

}  // namespace pixaroo::demo
