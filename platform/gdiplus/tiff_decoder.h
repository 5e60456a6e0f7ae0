// TIFF decoding with libtiff's RGBA interface: the first page, RGB, palette,
// greyscale (and the other photometric kinds libtiff converts), in strips or
// tiles, with or without alpha. Stateless; any thread.
#pragma once

#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct TiffDecoder {
  static bool Sniff(ByteSpan data);
  static bool ReadInfo(ByteSpan data, ImageInfo* info);
  static bool Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
