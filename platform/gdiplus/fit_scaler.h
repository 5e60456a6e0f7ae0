// A picture file scaled to fit a box, or to a size chosen from its own, for
// display, by our own decoders.
//
// A BMP of the kinds the BMP encoder writes (24-bit, or 32-bit with or
// without alpha; bottom-up or top-down) is scaled straight from its pixel
// rows, so showing a converted photo of any size costs no more than the box
// itself. Any other picture is decoded first, within the decoders' limits
// (gdiplus.h), and then scaled. Each box pixel is the average of the
// picture pixels it covers (the nearest one when enlarging).
//
// Pure; any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct FittedPicture {
  std::uint32_t width = 0;  // 0: no picture
  std::uint32_t height = 0;
  // Top-down rows of width × 4 bytes: B G R A, colours premultiplied by A.
  std::vector<std::uint8_t> bgra;
  std::uint32_t sourceWidth = 0;  // the picture's own size
  std::uint32_t sourceHeight = 0;
};

struct ScaledSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Chooses the size to scale a picture to from its own width and height.
using SizeRule = std::function<ScaledSize(std::uint32_t width, std::uint32_t height)>;

// The size a width × height picture takes in a boxWidth × boxHeight box:
// as large as fits, aspect ratio kept (rounded, at least 1 on a side).
void FitSize(std::uint32_t width, std::uint32_t height, std::uint32_t boxWidth,
             std::uint32_t boxHeight, std::uint32_t* fitWidth, std::uint32_t* fitHeight);

// `file` scaled to fit the box; empty (width 0) when it is no picture, is
// refused by the decoders' limits, or the box is empty.
FittedPicture ScaleToFit(ByteSpan file, std::uint32_t boxWidth, std::uint32_t boxHeight);

// `file` scaled to the size `rule` gives for the picture's own size (asked
// once, on this thread, before anything is scaled); empty when it is no
// picture, is refused by the decoders' limits, or the rule's size is empty
// or beyond those limits.
FittedPicture ScaleToSize(ByteSpan file, const SizeRule& rule);

}  // namespace gdiplus
