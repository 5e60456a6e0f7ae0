// PNG decoding with libpng: every colour type and bit depth, palettes,
// transparency (tRNS or an alpha channel), interlacing. 16-bit samples keep
// their high byte. Stateless; any thread.
#pragma once

#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct PngDecoder {
  static bool Sniff(ByteSpan data);
  static bool ReadInfo(ByteSpan data, ImageInfo* info);
  static bool Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
