// Each encoder writes a file that a decoder checked elsewhere reads back.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <set>

#include "tests/program/imaging/picture_checks.h"

namespace pixaroo {
namespace {

using imaging_test::Bytes;
using imaging_test::Picture;

Bytes Convert(const Bytes& in, std::int32_t format) {
  base::Bytes out;
  EXPECT_TRUE(ConvertImageFormat(in, format, out)) << "format " << format;
  return out;
}

bool StartsWith(const Bytes& b, std::initializer_list<std::uint8_t> magic) {
  return b.size() >= magic.size() && std::equal(magic.begin(), magic.end(), b.begin());
}

// A picture with straight alpha read back through a decoder that gets the
// colours premultiplied in 8 bits (c·a/255, whole numbers) and divides the
// alpha out again: alpha exact, each colour within 255/a + 1 of the source,
// and no colour at all where a is 0.
void ExpectSameWithStraightAlpha(const Picture& got, const Picture& want) {
  ASSERT_EQ(got.width, want.width);
  ASSERT_EQ(got.height, want.height);
  ASSERT_TRUE(got.hasAlpha);
  for (std::uint32_t y = 0; y < want.height; ++y) {
    for (std::uint32_t x = 0; x < want.width; ++x) {
      const std::uint8_t* g = got.At(x, y);
      const std::uint8_t* w = want.At(x, y);
      ASSERT_EQ(g[3], w[3]) << x << "," << y;
      if (w[3] == 0) continue;
      const int tolerance = 255 / w[3] + 1;
      for (int k = 0; k < 3; ++k) {
        ASSERT_LE(std::abs(g[k] - w[k]), tolerance) << x << "," << y << " channel " << k;
      }
    }
  }
}

TEST(Encoders, LosslessFormatsRoundTripExactly) {
  for (const bool alpha : {false, true}) {
    SCOPED_TRACE(alpha ? "with alpha" : "opaque");
    const Picture src = imaging_test::MakePattern(45, 31, alpha);
    const Bytes png = imaging_test::MakePngOf(src);

    const Bytes bmp = Convert(png, kFormatBmp);
    ASSERT_GT(bmp.size(), 28u);
    EXPECT_EQ(bmp[28], alpha ? 32 : 24);  // bits a pixel
    const Picture fromBmp = imaging_test::ReadSimpleBmp(bmp);
    ASSERT_EQ(fromBmp.width, src.width);
    ASSERT_EQ(fromBmp.height, src.height);
    EXPECT_EQ(imaging_test::MaxDifference(fromBmp, src), 0);
    // A BMP goes through the BMP decoder unchanged.
    EXPECT_EQ(Convert(bmp, kFormatBmp), bmp);

    const Bytes pngAgain = Convert(png, kFormatPng);
    EXPECT_TRUE(StartsWith(pngAgain, {0x89, 'P', 'N', 'G'}));
    EXPECT_BMP_OF(pngAgain, src, 0, alpha);

    const Bytes tiff = Convert(png, kFormatTiff);
    EXPECT_TRUE(StartsWith(tiff, {'I', 'I', 42, 0}) || StartsWith(tiff, {'M', 'M', 0, 42}));
    // The file holds every sample as it was, alpha unassociated.
    const Picture stored = imaging_test::ReadTiffSamples(tiff);
    ASSERT_EQ(stored.width, src.width);
    ASSERT_EQ(stored.height, src.height);
    EXPECT_EQ(stored.hasAlpha, alpha);
    EXPECT_EQ(imaging_test::MaxDifference(stored, src), 0);
    if (!alpha) {
      EXPECT_BMP_OF(tiff, src, 0, false);
    } else {
      ExpectSameWithStraightAlpha(BmpOf(tiff), src);
    }
  }
}

TEST(Encoders, JpegUsesTheLibraryDefaults) {
  const Picture src = imaging_test::MakePattern(40, 24, false);
  const Bytes jpeg = Convert(imaging_test::MakePngOf(src), kFormatJpeg);
  // Quality 75 with 4:2:0 chroma, exactly as TurboJPEG makes it.
  EXPECT_EQ(jpeg, imaging_test::MakeJpeg(src, 75, TJSAMP_420));
  const Picture back = BmpOf(jpeg);
  ASSERT_EQ(back.width, src.width);
  ASSERT_EQ(back.height, src.height);
  EXPECT_LT(imaging_test::MeanDifference(back, src), 6);
}

TEST(Encoders, GifKeepsFewColoursAndDithersMany) {
  const Picture few = imaging_test::MakePaletted(30, 20, 200);
  const Bytes gif = Convert(imaging_test::MakePngOf(few), kFormatGif);
  EXPECT_TRUE(StartsWith(gif, {'G', 'I', 'F', '8', '9', 'a'}));
  EXPECT_BMP_OF(gif, few, 0, false);

  // A photo-like picture: at most 256 colours, close to the source on average.
  const Picture many = imaging_test::MakePattern(64, 48, false);
  const Picture back = BmpOf(Convert(imaging_test::MakePngOf(many), kFormatGif));
  ASSERT_EQ(back.width, many.width);
  ASSERT_EQ(back.height, many.height);
  std::set<std::uint32_t> colours;
  long long error = 0;
  for (std::size_t i = 0; i < back.bgra.size(); i += 4) {
    colours.insert(back.bgra[i] | back.bgra[i + 1] << 8 | back.bgra[i + 2] << 16);
    for (int k = 0; k < 3; ++k) error += std::abs(back.bgra[i + k] - many.bgra[i + k]);
  }
  EXPECT_LE(colours.size(), 256u);
  EXPECT_GT(colours.size(), 64u);
  EXPECT_LT(error / static_cast<long long>(back.bgra.size() / 4 * 3), 8);

  // Mostly transparent pixels become the transparent colour.
  const Picture clear = imaging_test::MakePattern(16, 16, true);
  const Picture seen = BmpOf(Convert(imaging_test::MakePngOf(clear), kFormatGif));
  ASSERT_EQ(seen.width, clear.width);
  ASSERT_EQ(seen.height, clear.height);
  ASSERT_TRUE(seen.hasAlpha);
  for (std::size_t i = 0; i < seen.bgra.size(); i += 4) {
    EXPECT_EQ(seen.bgra[i + 3], clear.bgra[i + 3] < 128 ? 0 : 255) << i / 4;
  }
}

TEST(Encoders, EveryFormatFromEveryDecoder) {
  const Picture src = imaging_test::MakePattern(17, 9, false);  // 153 colours at most
  const Bytes inputs[] = {imaging_test::MakePngOf(src), imaging_test::MakeJpeg(src, 95, TJSAMP_444),
                          Convert(imaging_test::MakePngOf(src), kFormatGif),
                          Convert(imaging_test::MakePngOf(src), kFormatBmp),
                          Convert(imaging_test::MakePngOf(src), kFormatTiff)};
  for (const Bytes& in : inputs) {
    for (std::int32_t f = kFormatBmp; f <= kFormatPng; ++f) {
      const Picture back = BmpOf(Convert(in, f));
      ASSERT_EQ(back.width, 17u) << "format " << f;
      ASSERT_EQ(back.height, 9u) << "format " << f;
      if (f == kFormatJpeg || in[0] == 0xFF) {
        EXPECT_LT(imaging_test::MeanDifference(back, src), 12) << "format " << f;
      } else {
        EXPECT_EQ(imaging_test::MaxDifference(back, src), 0) << "format " << f;
      }
    }
  }
}

}  // namespace
}  // namespace pixaroo
