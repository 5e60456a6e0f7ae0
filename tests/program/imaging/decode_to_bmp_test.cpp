// Every kind of input each decoder takes becomes a BMP whose pixels match
// the source: exactly for lossless sources, and equal to TurboJPEG's own
// decode for JPEG.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include "program/imaging/convert_image_format.h"
#include "tests/program/imaging/picture_checks.h"

namespace pixaroo {
namespace {

using imaging_test::Bytes;
using imaging_test::Picture;

Picture FromBgr(const Bytes& bgr, std::uint32_t w, std::uint32_t h) {
  Picture p{w, h, false, Bytes(std::size_t{w} * h * 4)};
  for (std::size_t i = 0; i < std::size_t{w} * h; ++i) {
    p.bgra[i * 4] = bgr[i * 3], p.bgra[i * 4 + 1] = bgr[i * 3 + 1], p.bgra[i * 4 + 2] = bgr[i * 3 + 2];
    p.bgra[i * 4 + 3] = 0xFF;
  }
  return p;
}

TEST(DecodeToBmp, JpegEqualsTurboJpegsOwnDecode) {
  const Picture src = imaging_test::MakePattern(61, 37, false);
  const struct {
    int subsampling;
    bool progressive;
  } kinds[] = {{TJSAMP_420, false}, {TJSAMP_444, true}, {TJSAMP_422, false}, {TJSAMP_420, true}};
  for (const auto& k : kinds) {
    const Bytes jpeg = imaging_test::MakeJpeg(src, 90, k.subsampling, k.progressive);
    const Picture expected = FromBgr(imaging_test::TurboDecode(jpeg, false), 61, 37);
    EXPECT_BMP_OF(jpeg, expected, 0, false);
  }

  Bytes grey(23 * 17);
  for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<std::uint8_t>(i * 7);
  const Bytes greyJpeg = imaging_test::MakeGreyJpeg(grey, 23, 17);
  EXPECT_BMP_OF(greyJpeg, FromBgr(imaging_test::TurboDecode(greyJpeg, false), 23, 17), 0, false);
}

TEST(DecodeToBmp, CmykJpegUsesInvertedInk) {
  const std::uint32_t w = 19, h = 11;
  Bytes cmyk(w * h * 4);
  for (std::size_t i = 0; i < cmyk.size(); ++i) cmyk[i] = static_cast<std::uint8_t>(i * 29 + 3);
  const Bytes jpeg = imaging_test::MakeCmykJpeg(cmyk, w, h);
  const Bytes ink = imaging_test::TurboDecode(jpeg, true);
  Picture expected{w, h, false, Bytes(w * h * 4)};
  for (std::size_t i = 0; i < w * h; ++i) {
    const unsigned k = ink[i * 4 + 3];
    for (int c = 0; c < 3; ++c) {
      expected.bgra[i * 4 + c] = static_cast<std::uint8_t>((ink[i * 4 + 2 - c] * k + 127) / 255);
    }
    expected.bgra[i * 4 + 3] = 0xFF;
  }
  EXPECT_BMP_OF(jpeg, expected, 0, false);
}

TEST(DecodeToBmp, GifFirstFramePlacedOnTheScreen) {
  using imaging_test::GifFrame;
  auto frame = [](int left, int top, int w, int h, int colors, int shift) {
    GifFrame f{left, top, w, h, false, Bytes(std::size_t(w) * h), -1};
    for (int i = 0; i < w * h; ++i) f.indices[i] = static_cast<std::uint8_t>((i + shift + i / w * 3) % colors);
    return f;
  };
  auto expectedOf = [](int sw, int sh, const GifFrame& f, std::array<std::uint8_t, 4> outside) {
    Picture p{std::uint32_t(sw), std::uint32_t(sh), f.transparentIndex >= 0,
              Bytes(std::size_t(sw) * sh * 4)};
    for (int y = 0; y < sh; ++y)
      for (int x = 0; x < sw; ++x) {
        std::uint8_t* o = &p.bgra[(std::size_t(y) * sw + x) * 4];
        std::copy(outside.begin(), outside.end(), o);
        if (x < f.left || y < f.top || x >= f.left + f.width || y >= f.top + f.height) continue;
        const int index = f.indices[std::size_t(y - f.top) * f.width + (x - f.left)];
        if (index == f.transparentIndex) continue;
        const auto c = imaging_test::PaletteColor(index);
        o[0] = c[2], o[1] = c[1], o[2] = c[0], o[3] = 0xFF;
      }
    return p;
  };
  const auto bg = imaging_test::PaletteColor(3);
  const std::array<std::uint8_t, 4> background{bg[2], bg[1], bg[0], 0xFF};

  const GifFrame plain = frame(0, 0, 13, 9, 16, 0);
  EXPECT_BMP_OF(imaging_test::MakeGif(13, 9, 16, 0, {plain}), expectedOf(13, 9, plain, background), 0, false);

  GifFrame interlaced = frame(0, 0, 10, 19, 4, 1);
  interlaced.interlaced = true;
  EXPECT_BMP_OF(imaging_test::MakeGif(10, 19, 4, 0, {interlaced}),
              expectedOf(10, 19, interlaced, background), 0, false);

  // A small frame on a larger screen; later frames are not shown.
  const GifFrame inset = frame(5, 4, 6, 5, 8, 2);
  EXPECT_BMP_OF(imaging_test::MakeGif(20, 15, 8, 3, {inset, frame(0, 0, 20, 15, 8, 5)}),
              expectedOf(20, 15, inset, background), 0, false);

  // Transparency gives a 32-bit BMP, transparent also around the frame.
  GifFrame clear = frame(2, 1, 7, 6, 8, 0);
  clear.transparentIndex = 2;
  EXPECT_BMP_OF(imaging_test::MakeGif(12, 8, 8, 3, {clear}), expectedOf(12, 8, clear, {0, 0, 0, 0}),
              0, true);
}

TEST(DecodeToBmp, TiffStripsTilesPalettesAndGrey) {
  const std::uint32_t w = 37, h = 21;
  const Picture src = imaging_test::MakePattern(w, h, false);
  imaging_test::TiffSpec rgb{w, h};
  for (std::size_t i = 0; i < std::size_t{w} * h; ++i) {
    rgb.data.insert(rgb.data.end(), {src.bgra[i * 4 + 2], src.bgra[i * 4 + 1], src.bgra[i * 4]});
  }
  EXPECT_BMP_OF(imaging_test::MakeTiff(rgb), src, 0, false);
  imaging_test::TiffSpec tiled = rgb;
  tiled.tiled = true;
  EXPECT_BMP_OF(imaging_test::MakeTiff(tiled), src, 0, false);
  imaging_test::TiffSpec lzw = rgb;
  lzw.compression = COMPRESSION_LZW;
  EXPECT_BMP_OF(imaging_test::MakeTiff(lzw), src, 0, false);

  imaging_test::TiffSpec grey{w, h, PHOTOMETRIC_MINISBLACK, 1};
  Picture greyPicture{w, h, false, Bytes(std::size_t{w} * h * 4, 0xFF)};
  imaging_test::TiffSpec palette{w, h, PHOTOMETRIC_PALETTE, 1};
  palette.colormap.resize(3 * 256);
  for (int i = 0; i < 256; ++i) {
    const auto c = imaging_test::PaletteColor(i);
    for (int k = 0; k < 3; ++k) palette.colormap[k * 256 + i] = static_cast<std::uint16_t>(c[k] * 257);
  }
  Picture palettePicture = greyPicture;
  for (std::size_t i = 0; i < std::size_t{w} * h; ++i) {
    const auto v = static_cast<std::uint8_t>(i * 11);
    grey.data.push_back(v);
    palette.data.push_back(v);
    std::fill_n(&greyPicture.bgra[i * 4], 3, v);
    const auto c = imaging_test::PaletteColor(v);
    palettePicture.bgra[i * 4] = c[2], palettePicture.bgra[i * 4 + 1] = c[1];
    palettePicture.bgra[i * 4 + 2] = c[0];
  }
  EXPECT_BMP_OF(imaging_test::MakeTiff(grey), greyPicture, 0, false);
  EXPECT_BMP_OF(imaging_test::MakeTiff(palette), palettePicture, 0, false);
}

TEST(DecodeToBmp, TiffWithAlphaKeepsStraightAlpha) {
  const Picture src = imaging_test::MakePattern(16, 16, true);
  imaging_test::TiffSpec rgba{16, 16, PHOTOMETRIC_RGB, 4};
  rgba.unassociatedAlpha = true;
  for (std::size_t i = 0; i < 256; ++i) {
    rgba.data.insert(rgba.data.end(),
                     {src.bgra[i * 4 + 2], src.bgra[i * 4 + 1], src.bgra[i * 4], src.bgra[i * 4 + 3]});
  }
  const Picture got = BmpOf(imaging_test::MakeTiff(rgba));
  ASSERT_TRUE(got.hasAlpha);
  ASSERT_EQ(got.width, 16u);
  for (std::size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(got.bgra[i * 4 + 3], src.bgra[i * 4 + 3]);
    if (src.bgra[i * 4 + 3] < 128) continue;  // premultiplied in between: precise only when opaque enough
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(got.bgra[i * 4 + k], src.bgra[i * 4 + k], 1) << i;
  }
}

}  // namespace
}  // namespace pixaroo
