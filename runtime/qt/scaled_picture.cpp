#include "runtime/qt/scaled_picture.h"

#include <cstring>

namespace korvex {

QImage DecodeScaled(gdiplus::ByteSpan bytes, const gdiplus::SizeRule& rule, QSize* own) {
  if (own != nullptr) *own = QSize();
  if (bytes.empty()) return {};
  const gdiplus::FittedPicture fitted = gdiplus::ScaleToSize(bytes, rule);
  if (fitted.width == 0) return {};
  QImage image(static_cast<int>(fitted.width), static_cast<int>(fitted.height),
               QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return {};
  const std::size_t rowBytes = std::size_t{fitted.width} * 4;
  for (std::uint32_t y = 0; y < fitted.height; ++y) {
    // B G R A bytes are a little-endian ARGB32 pixel.
    std::memcpy(image.scanLine(static_cast<int>(y)), fitted.bgra.data() + y * rowBytes, rowBytes);
  }
  if (own != nullptr) {
    *own = QSize(static_cast<int>(fitted.sourceWidth), static_cast<int>(fitted.sourceHeight));
  }
  return image;
}

}  // namespace korvex
