// The table of picture decoders, each recognised by its first bytes.
//
// ReadInfo checks the header and the size limits without decoding pixels;
// Decode writes every pixel of the picture into the target, whose pixel size
// the caller chooses (3 or 4 bytes). Both fail cleanly on damaged input, with
// the reason (picture_error.h). Stateless; any thread.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct Decoder {
  const char* name;
  bool (*sniff)(ByteSpan data);
  PictureOr<ImageInfo> (*readInfo)(ByteSpan data);
  PictureResult (*decode)(ByteSpan data, const ImageInfo& info, const PixelTarget& target);
};

// The decoder for `data`, or null when no decoder recognises it.
const Decoder* FindDecoder(ByteSpan data);

}  // namespace gdiplus
