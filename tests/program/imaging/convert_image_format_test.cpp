#include "program/imaging/convert_image_format.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "base/files.h"
#include "platform/gdiplus/fit_scaler.h"
#include "tests/platform/gdiplus/test_images.h"

namespace pixaroo {
namespace {

namespace fs = std::filesystem;
using base::Bytes;

const Bytes kUntouched{1, 2, 3};

TEST(ConvertImageFormat, FailureLeavesConvertedUntouched) {
  const Bytes png = imaging_test::MakePngOf(imaging_test::MakePattern(8, 8, false));
  const std::string html = "<html><head><title>x</title></head><body>404</body></html>";
  struct Case {
    const char* what;
    Bytes picture;
    std::int32_t format;
  } cases[] = {
      {"empty", {}, kFormatBmp},
      {"html", Bytes(html.begin(), html.end()), kFormatBmp},
      {"format 0", png, 0},
      {"format 6", png, 6},
      {"format -1", png, -1},
      {"format 7", png, 7},
      {"header only", Bytes(png.begin(), png.begin() + 33), kFormatBmp},
  };
  for (const Case& c : cases) {
    Bytes converted = kUntouched;
    EXPECT_FALSE(ConvertImageFormat(c.picture, c.format, converted)) << c.what;
    EXPECT_EQ(converted, kUntouched) << c.what;
  }
}

// A temporary folder that is also the working folder while it lives.
class InTempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("imaging-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  bool FolderEmpty() const { return fs::is_empty(dir_); }
  fs::path old_, dir_;
};

TEST_F(InTempFolder, SavePathGetsExactlyTheConvertedBytes) {
  const Bytes jpeg = imaging_test::MakeJpeg(imaging_test::MakePattern(9, 7, false), 90, 2);
  Bytes converted;
  ASSERT_TRUE(ConvertImageFormat(jpeg, kFormatBmp, "   ", converted));
  EXPECT_TRUE(FolderEmpty()) << "a path of spaces writes no file";
  ASSERT_TRUE(ConvertImageFormat(jpeg, kFormatBmp, "", converted));
  EXPECT_TRUE(FolderEmpty());

  // The untrimmed text names the file.
  const std::string path = (dir_ / " out.bmp").string();
  Bytes saved = kUntouched;
  ASSERT_TRUE(ConvertImageFormat(jpeg, kFormatPng, path, saved));
  EXPECT_EQ(base::ReadWholeFile(path), saved);

  // A failed conversion writes nothing.
  const std::string other = (dir_ / "fail.bmp").string();
  EXPECT_FALSE(ConvertImageFormat(Bytes{'x'}, kFormatBmp, other, saved));
  EXPECT_FALSE(fs::exists(other));
}

TEST(ConvertImageFormat, ResultIsExactlyTheEncodedFile) {
  // The stream's block grows ahead of the data; none of the slack may leak
  // into the result.
  const Bytes png = imaging_test::MakePngOf(imaging_test::MakePattern(33, 21, true));
  Bytes out;
  ASSERT_TRUE(ConvertImageFormat(png, kFormatBmp, out));
  ASSERT_GE(out.size(), 6u);
  EXPECT_EQ(out.size(), std::size_t(out[2] | out[3] << 8 | out[4] << 16 | out[5] << 24));

  ASSERT_TRUE(ConvertImageFormat(png, kFormatPng, out));
  const Bytes iend{0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  ASSERT_GE(out.size(), iend.size());
  EXPECT_EQ(Bytes(out.end() - 12, out.end()), iend);

  ASSERT_TRUE(ConvertImageFormat(png, kFormatGif, out));
  EXPECT_EQ(out.back(), 0x3B);  // trailer
  ASSERT_TRUE(ConvertImageFormat(png, kFormatJpeg, out));
  EXPECT_EQ(Bytes(out.end() - 2, out.end()), (Bytes{0xFF, 0xD9}));
}

TEST(ConvertImageFormat, PhotosUpTo64MegapixelsShowInTheirBoxLargerOnesAreRefused) {
  // 8192 × 8192 is the largest; one row more is too many.
  const Bytes big = imaging_test::MakeOneColourPng(8192, 8192, 0xE0, 0x90, 0x20);
  Bytes bmp;
  ASSERT_TRUE(ConvertImageFormat(big, kFormatBmp, bmp));
  EXPECT_EQ(bmp.size(), 54u + std::size_t{8192} * 8192 * 3);  // 24-bit rows, no padding
  // The view's own scaler: a square photo fills the 150-wide box, square.
  const gdiplus::FittedPicture box = gdiplus::ScaleToFit(bmp, 150, 230);
  ASSERT_EQ(box.width, 150u);
  ASSERT_EQ(box.height, 150u);
  for (std::size_t i = 0; i < box.bgra.size(); i += 4) {
    ASSERT_EQ((std::array{box.bgra[i], box.bgra[i + 1], box.bgra[i + 2], box.bgra[i + 3]}),
              (std::array<std::uint8_t, 4>{0x20, 0x90, 0xE0, 0xFF}))
        << "pixel " << i / 4;
  }
  bmp.clear();
  bmp.shrink_to_fit();

  // Every row in its place, however the large result was handed back.
  const auto rowColour = [](std::uint32_t y) {
    return std::array{static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(y >> 8),
                      std::uint8_t{7}};
  };
  constexpr std::uint32_t kWide = 4096, kTall = 3072;  // a 36 MiB BMP
  ASSERT_TRUE(ConvertImageFormat(imaging_test::MakeRowColourPng(kWide, kTall, rowColour),
                                 kFormatBmp, bmp));
  ASSERT_EQ(bmp.size(), 54u + std::size_t{kWide} * kTall * 3);
  for (std::uint32_t y = 0; y < kTall; ++y) {
    const std::size_t row = 54 + std::size_t{kTall - 1 - y} * kWide * 3;  // bottom row first
    const auto c = rowColour(y);
    for (const std::size_t at : {row, row + (kWide - 1) * 3}) {
      ASSERT_EQ((std::array{bmp[at + 2], bmp[at + 1], bmp[at]}), c) << "row " << y;
    }
  }
  bmp.clear();
  bmp.shrink_to_fit();

  Bytes refused = kUntouched;
  EXPECT_FALSE(ConvertImageFormat(imaging_test::MakeOneColourPng(8192, 8193, 1, 2, 3), kFormatBmp,
                                  refused));
  EXPECT_EQ(refused, kUntouched);
  // The view refuses it too, whatever bytes a box is given.
  EXPECT_EQ(gdiplus::ScaleToFit(imaging_test::MakeOneColourPng(8193, 8192, 1, 2, 3), 150, 230).width,
            0u);
}

TEST(AnsiToWide, ConvertsWithTheTerminator) {
  EXPECT_EQ(AnsiToWide("abc"), (Bytes{0x61, 0, 0x62, 0, 0x63, 0, 0, 0}));
  // 中文 in GBK: U+4E2D U+6587.
  EXPECT_EQ(AnsiToWide("\xD6\xD0\xCE\xC4"), (Bytes{0x2D, 0x4E, 0x87, 0x65, 0, 0}));
  // 更新 in GBK: U+66F4 U+65B0.
  EXPECT_EQ(AnsiToWide("\xB8\xFC\xD0\xC2"), (Bytes{0xF4, 0x66, 0xB0, 0x65, 0, 0}));
  EXPECT_TRUE(AnsiToWide("").empty());
}

}  // namespace
}  // namespace pixaroo
