// The one place that calls libpng. libpng reports errors by longjmp; every
// function here sets its jump point before any libpng call that may jump,
// keeps only plain locals after it, and turns a jump into its reason (data
// that ran out, or damage). The callers own everything with a destructor.
// Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct PngHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colorType = 0;
  bool hasTransparency = false;  // a tRNS chunk is present
};

// Reads the signature and the chunks up to the first image data.
PictureOr<PngHeader> PngReadHeader(ByteSpan data);

// Decodes every pixel into `rows` (height row addresses) as B G R, or
// B G R A when bytesPerPixel is 4 (opaque pictures get A = 255).
// Interlaced pictures are handled; 16-bit samples keep their high byte.
// Fails when the picture is not width × height.
PictureResult PngReadImage(ByteSpan data, int bytesPerPixel, std::uint8_t* const* rows,
                           std::uint32_t width, std::uint32_t height);

// Receives encoded bytes; false stops the encoder.
using PngSink = bool (*)(void* context, const std::uint8_t* data, std::size_t size);

// Encodes top-down B G R A pixels (pitch width × 4) as an 8-bit RGB PNG, or
// RGBA when withAlpha, with the library's default compression.
// kWriteFailed when the sink refused bytes.
PictureResult PngWriteImage(const std::uint8_t* bgra, std::uint32_t width, std::uint32_t height,
                   bool withAlpha, PngSink sink, void* context);

}  // namespace gdiplus
