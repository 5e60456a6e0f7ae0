// TIFF with libtiff: one LZW-compressed page of 8-bit RGB, or RGBA with
// unassociated alpha for pictures with alpha.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/stream_writer.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;

PictureResult WriteTiff(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
