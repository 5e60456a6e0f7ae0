// JPEG with TurboJPEG at quality 75, 4:2:0 chroma subsampling (the library's
// defaults); alpha is dropped.
// Stateless; any thread (one image per thread).
#pragma once

#include "platform/gdiplus/encoders.h"

namespace gdiplus {

PictureResult WriteJpeg(GpImage& image, StreamWriter& out);

}  // namespace gdiplus
