// JPEG with TurboJPEG at quality 75, 4:2:0 chroma subsampling (the library's
// defaults); alpha is dropped.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/stream_writer.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;

PictureResult WriteJpeg(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
