// Damaged and hostile files fail cleanly: no crash, no huge allocation, and
// `converted` untouched; anything that does convert is a whole BMP.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include "tests/program/imaging/picture_checks.h"

namespace pixaroo {
namespace {

using imaging_test::Bytes;

const Bytes kUntouched{9, 9};

// Either false with `converted` untouched, or a BMP as long as it says.
void ExpectCleanOutcome(const Bytes& in, const char* what) {
  base::Bytes out = kUntouched;
  if (!ConvertImageFormat(in, kFormatBmp, out)) {
    EXPECT_EQ(out, kUntouched) << what;
    return;
  }
  ASSERT_GE(out.size(), 54u) << what;
  EXPECT_EQ(out[0], 'B') << what;
  EXPECT_EQ(out.size(), std::size_t(out[2] | out[3] << 8 | out[4] << 16 | out[5] << 24)) << what;
}

void ExpectRefused(const Bytes& in, const char* what) {
  base::Bytes out = kUntouched;
  EXPECT_FALSE(ConvertImageFormat(in, kFormatBmp, out)) << what;
  EXPECT_EQ(out, kUntouched) << what;
}

std::vector<std::pair<const char*, Bytes>> Samples() {
  const auto pic = imaging_test::MakePattern(24, 18, true);
  imaging_test::BmpSpec rle{8, 4, 8, 1};
  rle.palette.assign(4, {1, 2, 3});
  rle.pixels = {4, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
  imaging_test::TiffSpec tiff{10, 6, PHOTOMETRIC_RGB, 3};
  tiff.data.assign(180, 77);
  tiff.compression = COMPRESSION_LZW;
  imaging_test::GifFrame frame{0, 0, 24, 18, true, Bytes(24 * 18, 1), 0};
  base::Bytes bmp;
  ConvertImageFormat(imaging_test::MakePngOf(pic), kFormatBmp, bmp);
  return {{"jpeg", imaging_test::MakeJpeg(pic, 80, TJSAMP_420, true)},
          {"png", imaging_test::MakePngOf(pic, true)},
          {"gif", imaging_test::MakeGif(24, 18, 4, 0, {frame})},
          {"bmp", bmp},
          {"rle", imaging_test::MakeBmp(rle)},
          {"tiff", imaging_test::MakeTiff(tiff)}};
}

TEST(HostileInput, TruncatedFilesFailCleanly) {
  for (const auto& [what, file] : Samples()) {
    for (std::size_t cut = 0; cut < file.size(); cut += 1 + cut / 8) {
      ExpectCleanOutcome(Bytes(file.begin(), file.begin() + cut), what);
    }
  }
  // Lossless formats cut short are refused outright.
  for (const auto& [what, file] : Samples()) {
    if (std::string(what) == "jpeg" || std::string(what) == "rle") continue;
    ExpectRefused(Bytes(file.begin(), file.end() - 20), what);
  }
}

TEST(HostileInput, CorruptedBytesFailCleanly) {
  for (const auto& [what, file] : Samples()) {
    std::uint32_t seed = 7;
    for (int round = 0; round < 200; ++round) {
      Bytes damaged = file;
      for (int k = 0; k < 1 + round % 4; ++k) {
        seed = seed * 1664525 + 1013904223;
        damaged[(seed >> 8) % damaged.size()] ^= static_cast<std::uint8_t>(seed >> 24 | 1);
      }
      ExpectCleanOutcome(damaged, what);
    }
  }
}

void Put16Be(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0 - (c & 1)));
  }
  return ~c;
}

TEST(HostileInput, HugeDimensionsAreRefusedBeforeDecoding) {
  const auto pic = imaging_test::MakePattern(8, 8, false);

  // JPEG: the frame header's height and width.
  Bytes jpeg = imaging_test::MakeJpeg(pic, 90, TJSAMP_444);
  std::size_t sof = 2;
  while (!(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0)) ++sof;
  for (const auto& [h, w] : {std::pair{65535u, 65535u}, {16000u, 16000u}, {1u, 20000u}}) {
    Put16Be(jpeg, sof + 5, h);
    Put16Be(jpeg, sof + 7, w);
    ExpectRefused(jpeg, "jpeg");
  }

  // PNG: the header chunk, with its checksum made right.
  Bytes png = imaging_test::MakePngOf(pic);
  for (const auto& [w, h] : {std::pair{20000u, 10u}, {16384u, 16384u}, {0x7FFFFFFFu, 1u}}) {
    for (int k = 0; k < 4; ++k) png[16 + k] = std::uint8_t(w >> (24 - 8 * k));
    for (int k = 0; k < 4; ++k) png[20 + k] = std::uint8_t(h >> (24 - 8 * k));
    const std::uint32_t crc = Crc32(&png[12], 17);
    for (int k = 0; k < 4; ++k) png[29 + k] = std::uint8_t(crc >> (24 - 8 * k));
    ExpectRefused(png, "png");
  }

  // GIF: the logical screen, then a frame placed far out.
  imaging_test::GifFrame frame{0, 0, 8, 8, false, Bytes(64, 1), -1};
  Bytes gif = imaging_test::MakeGif(8, 8, 4, 0, {frame});
  gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;
  ExpectRefused(gif, "gif screen");
  frame.left = 60000;
  ExpectRefused(imaging_test::MakeGif(8, 8, 4, 0, {frame}), "gif frame");

  // BMP: too wide, too tall, and a large size with too little data behind it.
  for (const auto& [w, h] : {std::pair{100000, 2}, {2, -100000}, {8000, 8000}, {0, 5}}) {
    imaging_test::BmpSpec s{2, 2, 24};
    s.pixels.assign(12, 5);
    Bytes bmp = imaging_test::MakeBmp(s);
    for (int k = 0; k < 4; ++k) bmp[18 + k] = std::uint8_t(std::uint32_t(w) >> (8 * k));
    for (int k = 0; k < 4; ++k) bmp[22 + k] = std::uint8_t(std::uint32_t(h) >> (8 * k));
    ExpectRefused(bmp, "bmp");
  }

  // TIFF: a directory naming a huge page with no data for it.
  imaging_test::TiffSpec tiff{30000, 30000, PHOTOMETRIC_RGB, 3};
  tiff.data.assign(std::size_t{30000} * 3, 1);
  imaging_test::TiffSpec one = tiff;
  one.height = 1;
  Bytes file = imaging_test::MakeTiff(one);
  // Rewrite the image length tag (257) in place: 30000 rows.
  for (std::size_t i = 8; i + 12 <= file.size(); i += 2) {
    if (file[i] == 0x01 && file[i + 1] == 0x01 && file[i + 2] == 3) {  // tag 257, SHORT
      file[i + 8] = 0x30, file[i + 9] = 0x75;
      break;
    }
    if (file[i] == 0x01 && file[i + 1] == 0x01 && file[i + 2] == 4) {  // tag 257, LONG
      file[i + 8] = 0x30, file[i + 9] = 0x75, file[i + 10] = 0, file[i + 11] = 0;
      break;
    }
  }
  ExpectRefused(file, "tiff");
}

}  // namespace
}  // namespace pixaroo
