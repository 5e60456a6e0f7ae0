// BMP: 24-bit rows for opaque pictures, 32-bit with a V4 header and an alpha
// mask for pictures with alpha; bottom-up, 96 dpi. A picture not yet decoded
// is decoded straight into the stream's rows.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/stream_writer.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;

PictureResult WriteBmp(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
