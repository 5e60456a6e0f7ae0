// GIF decoding with giflib: the first frame, placed on the logical screen,
// with its transparent colour (the picture then has alpha). Areas the frame
// does not cover are transparent, or the background colour for an opaque
// frame. Stateless; any thread.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct GifDecoder {
  static bool Sniff(ByteSpan data);
  static PictureOr<ImageInfo> ReadInfo(ByteSpan data);
  static PictureResult Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

}  // namespace gdiplus
