// Encoding painted rasters as image files for the demo gallery: JPEG with
// TurboJPEG, PNG with libpng, GIF with giflib (a fixed 6 x 7 x 6 colour
// cube), and uncompressed 24-bit BMP and baseline RGB TIFF written here.
// Each encoder owns its library handles for the call only.
//
// Pure functions; any thread. The result is the whole file as bytes, empty
// when the raster is malformed or the library fails.
#pragma once

#include <string>

#include "demo/photo_art.h"

namespace pixaroo::demo {

inline constexpr int kJpegQuality = 85;

std::string EncodeJpeg(const Raster& raster, int quality = kJpegQuality);
std::string EncodePng(const Raster& raster);
std::string EncodeGif(const Raster& raster);
std::string EncodeBmp(const Raster& raster);
std::string EncodeTiff(const Raster& raster);

}  // namespace pixaroo::demo
