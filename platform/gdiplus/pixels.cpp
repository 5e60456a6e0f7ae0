#include "platform/gdiplus/pixels.h"

#include <cstring>

#include "platform/gdiplus/types.h"

namespace gdiplus {

bool DimensionsAllowed(std::uint64_t width, std::uint64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

PictureResult CheckDimensions(std::uint64_t width, std::uint64_t height) {
  if (width == 0 || height == 0) return PictureError::kDamagedHeader;
  if (!DimensionsAllowed(width, height)) return PictureError::kOverPixelLimit;
  return base::Done{};
}

void StoreBgraRow(const PixelTarget& target, std::uint32_t y, const std::uint8_t* bgra,
                  std::uint32_t width) {
  std::uint8_t* out = target.Row(y);
  if (target.bytesPerPixel == 4) {
    std::memcpy(out, bgra, std::size_t{width} * 4);
    return;
  }
  for (std::uint32_t x = 0; x < width; ++x, out += 3, bgra += 4) {
    out[0] = bgra[0];
    out[1] = bgra[1];
    out[2] = bgra[2];
  }
}

}  // namespace gdiplus
