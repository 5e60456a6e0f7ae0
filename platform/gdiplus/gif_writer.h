// GIF with giflib: one frame of at most 256 colours. Pictures with more
// colours are quantised (median cut) and dithered (Floyd-Steinberg); pixels
// less than half opaque become the transparent colour.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/stream_writer.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;

PictureResult WriteGif(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
