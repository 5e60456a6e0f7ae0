// Reduces a picture to at most 256 colours for the GIF encoder. A picture
// with few enough colours keeps them exactly; otherwise a median cut over a
// 5-bit-a-channel histogram picks the palette and Floyd-Steinberg error
// diffusion maps the pixels. Pixels less than half opaque (when the picture
// has alpha) take a palette entry of their own, the transparent one.
// Deterministic; stateless; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace gdiplus {

struct IndexedImage {
  std::vector<std::uint8_t> indices;                 // width × height, top-down
  std::vector<std::array<std::uint8_t, 3>> palette;  // R G B; transparent entry included
  int transparentIndex = -1;                         // -1: none
};

IndexedImage Quantize(const std::uint8_t* bgra, std::uint32_t width, std::uint32_t height,
                      bool withAlpha);

}  // namespace gdiplus
