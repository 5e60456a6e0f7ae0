// BMP decoding, our own: 1, 4, 8, 16, 24 and 32 bits a pixel, top-down or
// bottom-up, uncompressed, RLE8, RLE4 and bit fields (an alpha mask gives the
// picture alpha). Core, plain, OS/2, V4 and V5 headers. Pixels that RLE data
// skips take colour 0 of the table. Stateless; any thread.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct BmpDecoder {
  static bool Sniff(ByteSpan data);
  static PictureOr<ImageInfo> ReadInfo(ByteSpan data);
  static PictureResult Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
