// PNG with libpng: 8-bit RGB, or RGBA for pictures with alpha.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/encoders.h"

namespace gdiplus {

PictureResult WritePng(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
