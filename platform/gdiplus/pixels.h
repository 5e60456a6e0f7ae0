// Picture sizes, limits and pixel destinations shared by the codecs.
//
// Decoders write B, G, R (and A, for 4-byte pixels) into a PixelTarget: the
// address of the top row and a signed pitch, so that one decoder serves both
// a top-down buffer and a bottom-up BMP pixel area. Pure helpers; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/gdiplus/picture_error.h"

namespace gdiplus {

using ByteSpan = std::span<const std::uint8_t>;

struct ImageInfo {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool hasAlpha = false;  // the picture's format carries transparency
};

struct PixelTarget {
  std::uint8_t* top = nullptr;  // first byte of the top row
  std::ptrdiff_t pitch = 0;     // bytes from one row to the next one down
  int bytesPerPixel = 4;        // 3: B G R; 4: B G R A

  std::uint8_t* Row(std::uint32_t y) const { return top + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// True when a width × height picture may be decoded: both sides 1 to
// kMaxImageSide and at most kMaxImagePixels in all.
bool DimensionsAllowed(std::uint64_t width, std::uint64_t height);
// The same with the reason a header's size is refused: a side of 0 is a
// damaged header, anything else refused is over the pixel limits.
PictureResult CheckDimensions(std::uint64_t width, std::uint64_t height);

// Stores one row of `width` B G R A pixels into row y of the target.
void StoreBgraRow(const PixelTarget& target, std::uint32_t y, const std::uint8_t* bgra,
                  std::uint32_t width);

// Scales a value of `bits` bits (1..16) to 0..255, rounding.
inline std::uint8_t ScaleTo8(std::uint32_t value, int bits) {
  const std::uint32_t max = (std::uint32_t{1} << bits) - 1;
  return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
}

}  // namespace gdiplus
