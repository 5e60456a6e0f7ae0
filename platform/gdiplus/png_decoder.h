// PNG decoding with libpng: every colour type and bit depth, palettes,
// transparency (tRNS or an alpha channel), interlacing. 16-bit samples keep
// their high byte. Stateless; any thread.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct PngDecoder {
  static bool Sniff(ByteSpan data);
  static PictureOr<ImageInfo> ReadInfo(ByteSpan data);
  static PictureResult Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
