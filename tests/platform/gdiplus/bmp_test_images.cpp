// BMP test pictures built field by field, and a plain reader for the
// simple ones.
#include "tests/platform/gdiplus/test_images.h"

#include <cstdlib>

namespace imaging_test {
namespace {

void Put(Bytes& b, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t Get(const Bytes& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

}  // namespace

Bytes MakeBmp(const BmpSpec& s) {
  const bool rle = s.compression == 1 || s.compression == 2;
  const bool masksAfter = s.headerSize == 40 && (s.compression == 3 || s.compression == 6);
  const std::size_t paletteEntry = s.headerSize == 12 ? 3 : 4;
  const std::size_t offset = 14 + s.headerSize + (masksAfter ? (s.compression == 6 ? 16 : 12) : 0) +
                             s.palette.size() * paletteEntry;
  const std::uint32_t absHeight = static_cast<std::uint32_t>(std::abs(s.height));
  const std::size_t rowBytes = (std::size_t(s.width) * s.bitsPerPixel + 7) / 8;
  const std::size_t stride = (std::size_t(s.width) * s.bitsPerPixel + 31) / 32 * 4;
  Bytes pixels;
  if (rle) {
    pixels = s.pixels;
  } else {
    for (std::uint32_t i = 0; i < absHeight; ++i) {
      const std::uint32_t row = s.height < 0 ? i : absHeight - 1 - i;
      pixels.insert(pixels.end(), s.pixels.begin() + row * rowBytes,
                    s.pixels.begin() + (row + 1) * rowBytes);
      pixels.resize(pixels.size() + stride - rowBytes, 0);
    }
  }
  Bytes b{'B', 'M'};
  Put(b, static_cast<std::uint32_t>(offset + pixels.size()), 4);
  Put(b, 0, 4);
  Put(b, static_cast<std::uint32_t>(offset), 4);
  Put(b, s.headerSize, 4);
  if (s.headerSize == 12) {
    Put(b, s.width, 2), Put(b, absHeight, 2), Put(b, 1, 2), Put(b, s.bitsPerPixel, 2);
  } else {
    Put(b, s.width, 4), Put(b, static_cast<std::uint32_t>(s.height), 4), Put(b, 1, 2);
    Put(b, s.bitsPerPixel, 2), Put(b, s.compression, 4), Put(b, pixels.size(), 4);
    Put(b, 2835, 4), Put(b, 2835, 4), Put(b, s.palette.size(), 4), Put(b, 0, 4);
    const std::size_t maskCount = masksAfter ? (s.compression == 6 ? 4 : 3) : 0;
    if (s.headerSize > 40) {
      for (int i = 0; i < 4 && 40 + 4 * (i + 1) <= static_cast<int>(s.headerSize); ++i)
        Put(b, s.masks[i], 4);
      b.resize(14 + s.headerSize, 0);
    }
    for (std::size_t i = 0; i < maskCount; ++i) Put(b, s.masks[i], 4);
  }
  for (const auto& c : s.palette) {
    b.insert(b.end(), {c[2], c[1], c[0]});
    if (paletteEntry == 4) b.push_back(0);
  }
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

Picture ReadSimpleBmp(const Bytes& f) {
  Picture p;
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return p;
  const std::uint32_t offset = Get(f, 10, 4);
  const std::int32_t w = static_cast<std::int32_t>(Get(f, 18, 4));
  const std::int32_t h = static_cast<std::int32_t>(Get(f, 22, 4));
  const int bpp = static_cast<int>(Get(f, 28, 2));
  if (w <= 0 || h == 0 || (bpp != 24 && bpp != 32)) return p;
  const std::uint32_t ah = static_cast<std::uint32_t>(std::abs(h));
  const std::size_t stride = (std::size_t(w) * bpp + 31) / 32 * 4;
  if (offset + stride * ah > f.size()) return p;
  p.width = static_cast<std::uint32_t>(w);
  p.height = ah;
  p.hasAlpha = bpp == 32;
  p.bgra.resize(std::size_t(w) * ah * 4);
  for (std::uint32_t y = 0; y < ah; ++y) {
    const std::uint8_t* in = &f[offset + stride * (h > 0 ? ah - 1 - y : y)];
    for (std::int32_t x = 0; x < w; ++x, in += bpp / 8) {
      std::uint8_t* o = &p.bgra[(std::size_t(y) * w + x) * 4];
      o[0] = in[0], o[1] = in[1], o[2] = in[2], o[3] = bpp == 32 ? in[3] : 0xFF;
    }
  }
  return p;
}

}  // namespace imaging_test
