// PNG with libpng: 8-bit RGB, or RGBA for pictures with alpha.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/stream_writer.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;

PictureResult WritePng(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
