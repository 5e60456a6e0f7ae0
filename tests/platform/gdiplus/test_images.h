// Test pictures made with the codec libraries themselves (TurboJPEG, libpng,
// giflib, libtiff) or, for BMP, built field by field, plus a plain reader for
// the BMP files the converter writes. Pixels are top-down B G R A.
#pragma once

#include <png.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace imaging_test {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool hasAlpha = false;
  Bytes bgra;  // width × height × 4

  const std::uint8_t* At(std::uint32_t x, std::uint32_t y) const {
    return &bgra[(std::size_t{y} * width + x) * 4];
  }
};

// A smooth colour pattern with some detail; with alpha, a varied alpha too.
Picture MakePattern(std::uint32_t width, std::uint32_t height, bool withAlpha);
// A picture using only the first `colors` entries of a fixed palette.
Picture MakePaletted(std::uint32_t width, std::uint32_t height, int colors);
std::array<std::uint8_t, 3> PaletteColor(int index);  // R G B

// JPEG from a picture's colours (TJSAMP_*), progressive or baseline.
Bytes MakeJpeg(const Picture& p, int quality, int subsampling, bool progressive = false);
// Greyscale JPEG from one byte a pixel.
Bytes MakeGreyJpeg(const Bytes& grey, std::uint32_t width, std::uint32_t height);
// CMYK JPEG from four bytes a pixel.
Bytes MakeCmykJpeg(const Bytes& cmyk, std::uint32_t width, std::uint32_t height);
// TurboJPEG's own decode: B G R, or C M Y K for CMYK pictures; top-down.
Bytes TurboDecode(const Bytes& jpeg, bool cmyk);

// PNG with rows already packed for the colour type and bit depth.
struct PngSpec {
  std::uint32_t width = 0, height = 0;
  int colorType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<Bytes> rows;  // 16-bit samples big-endian, as stored
  std::vector<png_color> palette;
  Bytes paletteAlpha;  // tRNS for palettes
  bool hasTransparentColor = false;
  png_color_16 transparentColor{};  // tRNS for grey / RGB
};
Bytes MakePng(const PngSpec& spec);
// An 8-bit RGB(A) PNG of a picture.
Bytes MakePngOf(const Picture& p, bool interlaced = false);
// An 8-bit RGB PNG whose row y is all of colour rowColour(y) (R G B),
// written a row at a time: no full-size buffer, however large the picture.
Bytes MakeRowColourPng(std::uint32_t width, std::uint32_t height,
                       const std::function<std::array<std::uint8_t, 3>(std::uint32_t)>& rowColour);
Bytes MakeOneColourPng(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g,
                       std::uint8_t b);

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  Bytes indices;  // in display order, width × height
  int transparentIndex = -1;
};
// A GIF with a global palette of `colors` PaletteColor entries.
Bytes MakeGif(int screenWidth, int screenHeight, int colors, int backgroundIndex,
              const std::vector<GifFrame>& frames);

struct TiffSpec {
  std::uint32_t width = 0, height = 0;
  int photometric = 2;  // PHOTOMETRIC_RGB
  int samples = 3;
  int bitsPerSample = 8;
  bool tiled = false;
  bool unassociatedAlpha = false;
  int compression = 1;                  // COMPRESSION_NONE
  Bytes data;                           // contiguous samples, top-down
  std::vector<std::uint16_t> colormap;  // 3 × 2^bits for palettes
};
Bytes MakeTiff(const TiffSpec& spec);
// The samples of an 8-bit contiguous RGB or RGBA TIFF as stored, read row by
// row (no premultiplying); width 0 for any other kind of file.
Picture ReadTiffSamples(const Bytes& file);

// BMP built field by field. Rows are given top-down, packed, unpadded.
struct BmpSpec {
  std::int32_t width = 0, height = 0;  // height < 0: stored top-down
  int bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;
  std::vector<std::array<std::uint8_t, 3>> palette;  // R G B
  std::array<std::uint32_t, 4> masks{};              // R G B A, for bit fields
  Bytes pixels;                                      // for RLE: the compressed stream itself
};
Bytes MakeBmp(const BmpSpec& spec);

// Reads an uncompressed 24- or 32-bit BMP (32-bit: B G R A bytes). Returns a
// picture of width 0 when the file is not one.
Picture ReadSimpleBmp(const Bytes& file);

// Largest difference of any channel between two same-sized pictures
// (alpha compared only when both have it). Pictures of different sizes are
// as far apart as can be: the largest int.
int MaxDifference(const Picture& a, const Picture& b);
// Mean absolute difference of the colour channels; infinity when the sizes
// differ.
double MeanDifference(const Picture& a, const Picture& b);

}  // namespace imaging_test
