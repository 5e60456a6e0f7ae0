// TIFF decoding with libtiff's RGBA interface: the first page, RGB, palette,
// greyscale (and the other photometric kinds libtiff converts), in strips or
// tiles, with or without alpha. Stateless; any thread.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct TiffDecoder {
  static bool Sniff(ByteSpan data);
  static PictureOr<ImageInfo> ReadInfo(ByteSpan data);
  static PictureResult Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
