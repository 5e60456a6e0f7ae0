#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <array>
#include <cstring>

#include "platform/gdiplus/fit_scaler.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/gdiplus/pixels.h"
#include "tests/platform/gdiplus/gdiplus_started.h"
#include "tests/platform/gdiplus/test_images.h"

namespace gdiplus {
namespace {

using imaging_test::Bytes;

const CLSID kBmpEncoder{0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
const CLSID kPngEncoder{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

IStream* StreamOf(const Bytes& data) {
  IStream* s = nullptr;
  ole32::CreateStreamOnHGlobal(nullptr, 1, &s);
  s->Write(data.data(), static_cast<ole32::ULONG>(data.size()), nullptr);
  return s;
}

ole32::ULARGE_INTEGER SizeOf(IStream* s) {
  ole32::STATSTG stat;
  s->Stat(&stat, ole32::STATFLAG_NONAME);
  return stat.cbSize;
}

using Gdiplus = GdiplusStarted;

TEST(GdiplusStartup, CountsStartupsAndChecksTheVersion) {
  IStream* s = StreamOf(imaging_test::MakePngOf(imaging_test::MakePattern(4, 4, false)));
  GpBitmap* bitmap = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromStream(s, &bitmap), GdiplusNotInitialized);

  ULONG_PTR first = 0, second = 0;
  GdiplusStartupInput input;
  ASSERT_EQ(GdiplusStartup(&first, &input, nullptr), Ok);
  ASSERT_EQ(GdiplusStartup(&second, &input, nullptr), Ok);
  EXPECT_NE(first, second);
  GdiplusShutdown(first);
  // The second start-up still holds.
  ASSERT_EQ(GdipCreateBitmapFromStream(s, &bitmap), Ok);
  GdipDisposeImage(bitmap);
  GdiplusShutdown(second);
  GdiplusShutdown(second);  // unknown by now: ignored
  EXPECT_EQ(GdipCreateBitmapFromStream(s, &bitmap), GdiplusNotInitialized);
  EXPECT_EQ(bitmap, nullptr);

  GdiplusStartupInput v2;
  v2.GdiplusVersion = 2;
  ULONG_PTR token = 7;
  EXPECT_EQ(GdiplusStartup(&token, &v2, nullptr), UnsupportedGdiplusVersion);
  EXPECT_EQ(token, 0u);
  s->Release();
}

TEST_F(Gdiplus, UnknownEncoderAndParametersWriteNothing) {
  IStream* in = StreamOf(imaging_test::MakePngOf(imaging_test::MakePattern(5, 3, false)));
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromStream(in, &bitmap), Ok);
  IStream* out = StreamOf({});
  const CLSID unknown{};
  EXPECT_EQ(GdipSaveImageToStream(bitmap, out, &unknown, nullptr), FileNotFound);
  EncoderParameters params{1, {}};
  EXPECT_EQ(GdipSaveImageToStream(bitmap, out, &kBmpEncoder, &params), NotImplemented);
  EXPECT_EQ(SizeOf(out), 0u);
  params.Count = 0;
  EXPECT_EQ(GdipSaveImageToStream(bitmap, out, &kBmpEncoder, &params), Ok);
  EXPECT_EQ(SizeOf(out), 14u + 40 + 16 * 3);
  EXPECT_EQ(GdipSaveImageToStream(nullptr, out, &kBmpEncoder, nullptr), InvalidParameter);
  GdipDisposeImage(bitmap);
  in->Release();
  out->Release();
}

TEST_F(Gdiplus, BmpIntoAnEmptyStreamSizesItsBlockOnceAndExactly) {
  // The BMP encoder takes the whole file from the stream in one step and
  // decodes into it: the block holds exactly the file, with no growth ahead
  // of it, whether the rows are 24-bit (padded) or 32-bit with a V4 header.
  struct Case {
    Bytes file;
    std::uint64_t expectedSize;
  };
  const Case cases[] = {
      {imaging_test::MakeJpeg(imaging_test::MakePattern(37, 21, false), 90, TJSAMP_420),
       14 + 40 + 112 * 21},
      {imaging_test::MakePngOf(imaging_test::MakePattern(37, 21, true)), 14 + 108 + 37 * 4 * 21},
  };
  for (const Case& c : cases) {
    IStream* in = StreamOf(c.file);
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromStream(in, &bitmap), Ok);
    IStream* out = nullptr;
    ASSERT_EQ(ole32::CreateStreamOnHGlobal(nullptr, 1, &out), ole32::S_OK);
    EXPECT_EQ(GdipSaveImageToStream(bitmap, out, &kBmpEncoder, nullptr), Ok);
    kernel32::HGLOBAL block = nullptr;
    ole32::GetHGlobalFromStream(out, &block);
    EXPECT_EQ(SizeOf(out), c.expectedSize);
    EXPECT_EQ(kernel32::GlobalSize(block), c.expectedSize);
    GdipDisposeImage(bitmap);
    in->Release();
    out->Release();
  }
}

// A bitmap reads the file of a stream that frees its own block in place,
// and that stream refuses changes until the bitmap goes: saving into it
// fails and leaves it as it was. A stream over the caller's block is copied
// from, so the caller may free the block at once.
TEST_F(Gdiplus, ABitmapKeepsItsFileWhateverItsStreamsOwnerDoes) {
  const Bytes png = imaging_test::MakePngOf(imaging_test::MakePattern(37, 21, false));
  const Bytes bmp = SaveAsBmp(png);
  ASSERT_FALSE(bmp.empty());

  IStream* own = StreamOf(png);  // frees its own block
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromStream(own, &bitmap), Ok);
  own->Seek(0, ole32::STREAM_SEEK_END, nullptr);
  EXPECT_EQ(GdipSaveImageToStream(bitmap, own, &kBmpEncoder, nullptr), Win32Error);
  EXPECT_EQ(SizeOf(own), png.size());
  EXPECT_EQ(own->Write("x", 1, nullptr), ole32::STG_E_ACCESSDENIED);
  EXPECT_EQ(own->SetSize(1), ole32::STG_E_ACCESSDENIED);
  own->Release();  // the bitmap keeps it
  IStream* out = nullptr;
  ole32::CreateStreamOnHGlobal(nullptr, 1, &out);
  ASSERT_EQ(GdipSaveImageToStream(bitmap, out, &kBmpEncoder, nullptr), Ok);
  EXPECT_EQ(SizeOf(out), bmp.size());
  out->Release();
  GdipDisposeImage(bitmap);

  kernel32::HGLOBAL block = kernel32::GlobalAlloc(kernel32::GMEM_FIXED, png.size());
  std::memcpy(kernel32::GlobalLock(block), png.data(), png.size());
  kernel32::GlobalUnlock(block);
  IStream* callers = nullptr;
  ole32::CreateStreamOnHGlobal(block, 0, &callers);
  ASSERT_EQ(GdipCreateBitmapFromStream(callers, &bitmap), Ok);
  callers->Release();
  kernel32::GlobalFree(block);
  ole32::CreateStreamOnHGlobal(nullptr, 1, &out);
  ASSERT_EQ(GdipSaveImageToStream(bitmap, out, &kBmpEncoder, nullptr), Ok);
  Bytes again(static_cast<std::size_t>(SizeOf(out)));
  out->Seek(0, ole32::STREAM_SEEK_SET, nullptr);
  out->Read(again.data(), static_cast<ole32::ULONG>(again.size()), nullptr);
  EXPECT_EQ(again, bmp);
  out->Release();
  GdipDisposeImage(bitmap);

  // Once the bitmap is gone the stream takes writes again.
  IStream* later = StreamOf(png);
  ASSERT_EQ(GdipCreateBitmapFromStream(later, &bitmap), Ok);
  GdipDisposeImage(bitmap);
  EXPECT_EQ(later->Write("x", 1, nullptr), ole32::S_OK);
  later->Release();
}

TEST_F(Gdiplus, DamagedPixelDataLeavesTheOutputStreamAsItWas) {
  // A good header with damaged image data: recognised, but fails to decode.
  Bytes png = imaging_test::MakePngOf(imaging_test::MakePattern(40, 40, false));
  png[png.size() - 30] ^= 0xFF;  // inside the last data chunk: its checksum fails
  IStream* in = StreamOf(png);
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromStream(in, &bitmap), Ok);
  IStream* out = StreamOf(Bytes{'x', 'y'});
  for (const CLSID& encoder : {kBmpEncoder, kPngEncoder}) {
    EXPECT_NE(GdipSaveImageToStream(bitmap, out, &encoder, nullptr), Ok);
    EXPECT_EQ(SizeOf(out), 2u);
    ole32::ULARGE_INTEGER pos = 0;
    out->Seek(0, ole32::STREAM_SEEK_CUR, &pos);
    EXPECT_EQ(pos, 2u);
  }
  GdipDisposeImage(bitmap);
  in->Release();
  out->Release();
}

// One box pixel of a fitted picture: B G R A.
std::array<std::uint8_t, 4> BoxPixel(const FittedPicture& f, std::uint32_t x, std::uint32_t y) {
  const std::uint8_t* p = &f.bgra[(std::size_t{y} * f.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

TEST(ScaleToFit, EachBoxPixelAveragesThePixelsItCoversAspectKept) {
  using Px = std::array<std::uint8_t, 4>;
  // 4 × 2, left half red, right half blue; stored bottom-up and top-down.
  for (const std::int32_t height : {2, -2}) {
    imaging_test::BmpSpec s{4, height, 24};
    for (int y = 0; y < 2; ++y) {
      s.pixels.insert(s.pixels.end(), {0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 0, 0});
    }
    const FittedPicture f = ScaleToFit(imaging_test::MakeBmp(s), 2, 2);
    ASSERT_EQ(f.width, 2u) << height;
    ASSERT_EQ(f.height, 1u) << height;  // as wide as the box, half as high
    EXPECT_EQ(BoxPixel(f, 0, 0), (Px{0, 0, 255, 255})) << height;
    EXPECT_EQ(BoxPixel(f, 1, 0), (Px{255, 0, 0, 255})) << height;
  }
  // A black and white chequer of 2 × 2 into one pixel: the mean, rounded.
  imaging_test::BmpSpec chequer{2, 2, 24};
  chequer.pixels = {0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0};
  const FittedPicture grey = ScaleToFit(imaging_test::MakeBmp(chequer), 1, 1);
  ASSERT_EQ(grey.width, 1u);
  EXPECT_EQ(BoxPixel(grey, 0, 0), (Px{128, 128, 128, 255}));
  // Enlarged to fill the 150 × 230 box's width, every pixel the one colour.
  imaging_test::BmpSpec dot{1, 1, 24};
  dot.pixels = {10, 20, 30};
  const FittedPicture big = ScaleToFit(imaging_test::MakeBmp(dot), 150, 230);
  ASSERT_EQ(big.width, 150u);
  ASSERT_EQ(big.height, 150u);
  EXPECT_EQ(BoxPixel(big, 149, 149), (Px{10, 20, 30, 255}));
  // Through a decoder (PNG with alpha): opaque red beside transparent blue
  // is half-covered red, premultiplied.
  imaging_test::PngSpec png{2, 1, PNG_COLOR_TYPE_RGB_ALPHA};
  png.rows = {{255, 0, 0, 255, 0, 0, 255, 0}};
  const FittedPicture half = ScaleToFit(imaging_test::MakePng(png), 1, 1);
  ASSERT_EQ(half.width, 1u);
  EXPECT_EQ(BoxPixel(half, 0, 0), (Px{0, 0, 128, 128}));
  // Nothing to show: no picture, an empty box.
  EXPECT_EQ(ScaleToFit(Bytes{'B', 'M', 1, 2}, 150, 230).width, 0u);
  EXPECT_EQ(ScaleToFit(imaging_test::MakeBmp(dot), 0, 230).width, 0u);
}

TEST(DimensionsAllowed, KeepsSidesAndPixelsWithinLimits) {
  // Up to 64 megapixels (8192 × 8192), in any shape up to 16384 on a side.
  EXPECT_TRUE(DimensionsAllowed(1, 1));
  EXPECT_TRUE(DimensionsAllowed(8192, 8192));
  EXPECT_FALSE(DimensionsAllowed(8192, 8193));
  EXPECT_TRUE(DimensionsAllowed(16384, 4096));
  EXPECT_FALSE(DimensionsAllowed(16384, 4097));
  EXPECT_FALSE(DimensionsAllowed(10000, 10000));
  EXPECT_FALSE(DimensionsAllowed(kMaxImageSide + 1, 1));
  EXPECT_FALSE(DimensionsAllowed(1, kMaxImageSide + 1));
  EXPECT_FALSE(DimensionsAllowed(0, 5));
  EXPECT_FALSE(DimensionsAllowed(5, 0));
  EXPECT_FALSE(DimensionsAllowed(std::uint64_t{1} << 40, std::uint64_t{1} << 40));
}

}  // namespace
}  // namespace gdiplus
