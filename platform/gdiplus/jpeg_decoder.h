// JPEG decoding with libjpeg-turbo's TurboJPEG interface: baseline,
// progressive, greyscale and CMYK/YCCK (stored inverted, as Adobe writes
// it). Pixels go straight into the target rows in B G R (A) order, top-down
// or bottom-up. A picture cut short decodes with its missing part grey, as
// the library fills it. Stateless; any thread.
#pragma once

#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct JpegDecoder {
  static bool Sniff(ByteSpan data);
  static bool ReadInfo(ByteSpan data, ImageInfo* info);
  static bool Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
