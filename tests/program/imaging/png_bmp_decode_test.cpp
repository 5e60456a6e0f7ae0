// PNG and BMP sources of every kind become BMPs with exactly their pixels.
#include <gtest/gtest.h>
#include <png.h>

#include "tests/program/imaging/picture_checks.h"

namespace pixaroo {
namespace {

using imaging_test::Bytes;
using imaging_test::Picture;

// Stores sample `v` of `depth` bits as the index-th sample of a packed row.
void PutSample(Bytes& row, int depth, std::uint32_t v, std::size_t index) {
  if (depth == 16) {
    row.push_back(static_cast<std::uint8_t>(v >> 8));
    row.push_back(static_cast<std::uint8_t>(v));
  } else if (depth == 8) {
    row.push_back(static_cast<std::uint8_t>(v));
  } else {
    const std::size_t bit = index * depth;
    if (bit / 8 >= row.size()) row.push_back(0);
    row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - depth - bit % 8));
  }
}

struct PngCase {
  int colorType;
  int depth;
  bool interlaced = false;
  bool transparency = false;  // tRNS
};

// Builds a PNG of the given kind and the picture it stands for.
Bytes MakePngCase(const PngCase& c, std::uint32_t w, std::uint32_t h, Picture* expected) {
  imaging_test::PngSpec spec;
  spec.width = w, spec.height = h, spec.colorType = c.colorType, spec.bitDepth = c.depth;
  spec.interlaced = c.interlaced;
  const bool palette = c.colorType == PNG_COLOR_TYPE_PALETTE;
  const int channels = palette                                   ? 1
                       : c.colorType == PNG_COLOR_TYPE_GRAY       ? 1
                       : c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                       : c.colorType == PNG_COLOR_TYPE_RGB        ? 3
                                                                  : 4;
  const std::uint32_t levels = c.depth == 16 ? 256 : 1u << c.depth;
  if (palette) {
    for (std::uint32_t i = 0; i < levels; ++i) {
      const auto rgb = imaging_test::PaletteColor(static_cast<int>(i));
      spec.palette.push_back(png_color{rgb[0], rgb[1], rgb[2]});
      if (c.transparency) spec.paletteAlpha.push_back(static_cast<std::uint8_t>(i * 97));
    }
  }
  const std::uint32_t clearValue = 1;  // sample value made transparent by tRNS
  if (c.transparency && !palette) {
    spec.hasTransparentColor = true;
    const std::uint16_t v = c.depth == 16 ? clearValue << 8 : clearValue;
    spec.transparentColor = png_color_16{0, v, v, v, v};
  }
  const bool alpha = (c.colorType & PNG_COLOR_MASK_ALPHA) || c.transparency;
  *expected = Picture{w, h, alpha, Bytes(std::size_t{w} * h * 4)};
  for (std::uint32_t y = 0; y < h; ++y) {
    Bytes row;
    std::uint8_t value8[4] = {};
    for (std::uint32_t x = 0; x < w; ++x) {
      bool allClear = true;
      for (int k = 0; k < channels; ++k) {
        const std::uint32_t v = (x * 7 + y * 13 + k * 50) % levels;
        // 16-bit samples: the high byte counts, the low byte must not.
        PutSample(row, c.depth, c.depth == 16 ? v << 8 | ((x + y) & 0xFF) : v, x * channels + k);
        value8[k] = static_cast<std::uint8_t>(palette || c.depth >= 8 ? v : v * 255 / (levels - 1));
        allClear = allClear && v == clearValue && (c.depth != 16 || ((x + y) & 0xFF) == 0);
      }
      std::uint8_t* o = &expected->bgra[(std::size_t{y} * w + x) * 4];
      if (palette) {
        const png_color& pc = spec.palette[value8[0]];
        o[0] = pc.blue, o[1] = pc.green, o[2] = pc.red;
        o[3] = c.transparency ? spec.paletteAlpha[value8[0]] : 0xFF;
      } else if (c.colorType & PNG_COLOR_MASK_COLOR) {
        o[0] = value8[2], o[1] = value8[1], o[2] = value8[0];
        o[3] = c.colorType & PNG_COLOR_MASK_ALPHA ? value8[3] : 0xFF;
      } else {
        o[0] = o[1] = o[2] = value8[0];
        o[3] = c.colorType & PNG_COLOR_MASK_ALPHA ? value8[1] : 0xFF;
      }
      if (c.transparency && !palette && allClear) o[3] = 0;
    }
    spec.rows.push_back(row);
  }
  return imaging_test::MakePng(spec);
}

TEST(DecodeToBmp, PngOfEveryColourTypeAndDepth) {
  const PngCase cases[] = {
      {PNG_COLOR_TYPE_GRAY, 1},       {PNG_COLOR_TYPE_GRAY, 2},
      {PNG_COLOR_TYPE_GRAY, 4},       {PNG_COLOR_TYPE_GRAY, 8},
      {PNG_COLOR_TYPE_GRAY, 16},      {PNG_COLOR_TYPE_GRAY, 8, false, true},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16},
      {PNG_COLOR_TYPE_RGB, 8},        {PNG_COLOR_TYPE_RGB, 16},
      {PNG_COLOR_TYPE_RGB, 8, false, true}, {PNG_COLOR_TYPE_RGB, 16, false, true},
      {PNG_COLOR_TYPE_RGB_ALPHA, 8},  {PNG_COLOR_TYPE_RGB_ALPHA, 16},
      {PNG_COLOR_TYPE_PALETTE, 1},    {PNG_COLOR_TYPE_PALETTE, 2},
      {PNG_COLOR_TYPE_PALETTE, 4},    {PNG_COLOR_TYPE_PALETTE, 8},
      {PNG_COLOR_TYPE_PALETTE, 8, false, true},
      {PNG_COLOR_TYPE_RGB_ALPHA, 8, true}, {PNG_COLOR_TYPE_PALETTE, 4, true, true},
      {PNG_COLOR_TYPE_GRAY, 2, true},
  };
  for (const PngCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "colour type " << c.colorType << ", depth " << c.depth
                                    << (c.interlaced ? ", interlaced" : "")
                                    << (c.transparency ? ", tRNS" : ""));
    Picture expected;
    const Bytes png = MakePngCase(c, 29, 13, &expected);
    EXPECT_BMP_OF(png, expected, 0, expected.hasAlpha);
  }
}

Picture Expect(std::uint32_t w, std::uint32_t h, bool alpha) {
  return Picture{w, h, alpha, Bytes(std::size_t{w} * h * 4, 0xFF)};
}

void SetPixel(Picture& p, std::uint32_t x, std::uint32_t y, std::uint8_t r, std::uint8_t g,
              std::uint8_t b, std::uint8_t a = 0xFF) {
  std::uint8_t* o = &p.bgra[(std::size_t{y} * p.width + x) * 4];
  o[0] = b, o[1] = g, o[2] = r, o[3] = a;
}

TEST(DecodeToBmp, BmpPalettesAndDirectColour) {
  const std::int32_t w = 13, h = 5;
  for (const int bits : {1, 4, 8}) {
    for (const std::uint32_t header : {12u, 40u, 124u}) {
      // Core headers cannot say top-down; the others are once.
      imaging_test::BmpSpec s{w, bits == 4 && header != 12 ? -h : h, bits};
      s.headerSize = header;
      const int colors = 1 << bits;
      for (int i = 0; i < colors; ++i) s.palette.push_back(imaging_test::PaletteColor(i));
      Picture expected = Expect(w, h, false);
      for (std::int32_t y = 0; y < h; ++y) {
        Bytes row;
        for (std::int32_t x = 0; x < w; ++x) {
          const int v = (x * 5 + y * 3) % colors;
          PutSample(row, bits, static_cast<std::uint32_t>(v), static_cast<std::size_t>(x));
          const auto c = imaging_test::PaletteColor(v);
          SetPixel(expected, x, y, c[0], c[1], c[2]);
        }
        s.pixels.insert(s.pixels.end(), row.begin(), row.end());
      }
      SCOPED_TRACE(testing::Message() << bits << " bits, header " << header);
      EXPECT_BMP_OF(imaging_test::MakeBmp(s), expected, 0, false);
    }
  }
}

TEST(DecodeToBmp, BmpSixteenTwentyFourAndThirtyTwoBits) {
  const std::int32_t w = 7, h = 6;
  struct Case {
    int bits;
    std::uint32_t compression, header;
    std::array<std::uint32_t, 4> masks;
    bool topDown;
  } cases[] = {
      {16, 0, 40, {}, false},                                 // 5-5-5
      {16, 3, 40, {0xF800, 0x07E0, 0x001F, 0}, true},         // 5-6-5
      {24, 0, 40, {}, false},
      {24, 0, 40, {}, true},
      {32, 0, 40, {}, false},                                 // fourth byte unused
      {32, 3, 108, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, false},  // with alpha
      {32, 6, 40, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, true},    // masks after a plain header
  };
  for (const Case& c : cases) {
    imaging_test::BmpSpec s{w, c.topDown ? -h : h, c.bits, c.compression, c.header};
    s.masks = c.masks;
    const bool alpha = c.masks[3] != 0;
    Picture expected = Expect(w, h, alpha);
    for (std::int32_t y = 0; y < h; ++y) {
      for (std::int32_t x = 0; x < w; ++x) {
        const std::uint32_t r = x * 31 + 3, g = y * 40 + 1, b = (x * y * 9) & 0xFF, a = x * 36;
        if (c.bits == 24) {
          s.pixels.insert(s.pixels.end(), {std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)});
          SetPixel(expected, x, y, r, g, b);
        } else if (c.bits == 16 && c.compression == 0) {
          const std::uint32_t v = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
          s.pixels.insert(s.pixels.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
          auto s5 = [](std::uint32_t v8) { return std::uint8_t(((v8 >> 3) * 255 + 15) / 31); };
          SetPixel(expected, x, y, s5(r), s5(g), s5(b));
        } else if (c.bits == 16) {
          const std::uint32_t v = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
          s.pixels.insert(s.pixels.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
          auto s5 = [](std::uint32_t v8) { return std::uint8_t(((v8 >> 3) * 255 + 15) / 31); };
          SetPixel(expected, x, y, s5(r), std::uint8_t(((g >> 2) * 255 + 31) / 63), s5(b));
        } else {
          std::uint32_t v = 0;
          const std::uint32_t channel[4] = {r & 0xFF, g & 0xFF, b, a & 0xFF};
          const std::array<std::uint32_t, 4> masks =
              c.compression == 0 ? std::array<std::uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, 0} : c.masks;
          for (int k = 0; k < 4; ++k) {
            if (masks[k] != 0) v |= channel[k] << __builtin_ctz(masks[k]);
          }
          if (c.compression == 0) v |= 0x5A000000;  // junk in the unused byte
          for (int k = 0; k < 4; ++k) s.pixels.push_back(std::uint8_t(v >> (8 * k)));
          SetPixel(expected, x, y, r, g, b, alpha ? std::uint8_t(a) : 0xFF);
        }
      }
    }
    SCOPED_TRACE(testing::Message() << c.bits << " bits, compression " << c.compression);
    EXPECT_BMP_OF(imaging_test::MakeBmp(s), expected, 0, alpha);
  }
}

TEST(DecodeToBmp, BmpRunLengthEncoded) {
  const std::int32_t w = 10, h = 4;
  std::vector<std::array<std::uint8_t, 3>> palette;
  for (int i = 0; i < 16; ++i) palette.push_back(imaging_test::PaletteColor(i));
  // Rows bottom-up: bottom row a run of 3 then 4 stored pixels (5 6 7 8) then
  // end of line; next row: move right 2 and up 1 (skipping it), a run of 2;
  // the last row (top) a run of 10; then end of picture. Skipped pixels take
  // colour 0.
  const int grid[4][10] = {
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // top: overwritten below
      {0, 0, 9, 9, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {1, 1, 1, 5, 6, 7, 8, 0, 0, 0},
  };
  Picture expected = Expect(w, h, false);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int v = y == 0 ? 4 : grid[y][x];
      SetPixel(expected, x, y, palette[v][0], palette[v][1], palette[v][2]);
    }
  imaging_test::BmpSpec rle8{w, h, 8, 1};
  rle8.palette = palette;
  rle8.pixels = {3, 1, 0, 4, 5, 6, 7, 8, 0, 0, 0, 2, 2, 1, 2, 9, 0, 0, 10, 4, 0, 1};
  EXPECT_BMP_OF(imaging_test::MakeBmp(rle8), expected, 0, false);

  imaging_test::BmpSpec rle4{w, h, 4, 2};
  rle4.palette = palette;
  rle4.pixels = {3, 0x11, 0, 4, 0x56, 0x78, 0, 0, 0, 2, 2, 1, 2, 0x99, 0, 0, 10, 0x44, 0, 1};
  EXPECT_BMP_OF(imaging_test::MakeBmp(rle4), expected, 0, false);
}

}  // namespace
}  // namespace pixaroo
