// BMP: 24-bit rows for opaque pictures, 32-bit with a V4 header and an alpha
// mask for pictures with alpha; bottom-up, 96 dpi. A picture not yet decoded
// is decoded straight into the stream's rows. Each BMP written from a
// picture file is remembered (bmp_recipes.h), so that it can be written
// again from that file alone. Any thread (one image per thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdiplus/bmp_recipes.h"
#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"
#include "platform/gdiplus/stream_writer.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;

// Writes the image's BMP file at the stream's position and remembers its
// recipe.
PictureResult WriteBmp(GpImage& image, StreamWriter& out);

// The size of the image's BMP file, and the file written into `file` (that
// many bytes), or why the picture cannot give it.
std::size_t BmpFileSize(const ImageInfo& info);
PictureResult WriteBmpInto(GpImage& image, std::uint8_t* file);

// The BMP of `recipe` written again, byte for byte as first written; empty
// when it cannot be (memory ran out, or the file no longer gives the same
// bytes). Takes its picture's lease on the pixel budget like any decode.
std::vector<std::uint8_t> RemakeBmp(const BmpRecipe& recipe);

}  // namespace gdiplus
