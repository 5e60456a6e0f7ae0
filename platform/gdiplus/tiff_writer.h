// TIFF with libtiff: one LZW-compressed page of 8-bit RGB, or RGBA with
// unassociated alpha for pictures with alpha.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/encoders.h"

namespace gdiplus {

PictureResult WriteTiff(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
