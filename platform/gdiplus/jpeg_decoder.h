// JPEG decoding with libjpeg-turbo's TurboJPEG interface: baseline,
// progressive, greyscale and CMYK/YCCK (stored inverted, as Adobe writes
// it). Pixels go straight into the target rows in B G R (A) order, top-down
// or bottom-up. A picture cut short decodes with its missing part grey, as
// the library fills it. Stateless; any thread.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct JpegDecoder {
  static bool Sniff(ByteSpan data);
  static PictureOr<ImageInfo> ReadInfo(ByteSpan data);
  static PictureResult Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
