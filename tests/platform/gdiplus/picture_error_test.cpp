// Every picture reason from an input crafted to give it, both as the codecs
// say it and as the flat API says it (the Status it has always given: a
// picture that cannot be opened is an invalid parameter, a save whose
// picture cannot be decoded a generic error, a stream that refuses the
// bytes a Win32 error).
#include "platform/gdiplus/picture_error.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/gdiplus/encoders.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/gdiplus/image.h"
#include "tests/platform/gdiplus/gdiplus_started.h"
#include "tests/platform/gdiplus/test_images.h"

namespace gdiplus {
namespace {

using imaging_test::Bytes;

// A stream over `bytes` that may claim another size, and may refuse every
// write; whatever it was given stays in `bytes`.
class CraftedStream : public IStream {
 public:
  explicit CraftedStream(Bytes data) : bytes(std::move(data)) {}
  ole32::ULONG AddRef() override { return 1; }
  ole32::ULONG Release() override { return 1; }
  ole32::HRESULT Read(void* buffer, ole32::ULONG size, ole32::ULONG* read) override {
    const std::size_t n =
        std::min<std::size_t>(size, bytes.size() - std::min(position, bytes.size()));
    if (n > 0) std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    if (read != nullptr) *read = static_cast<ole32::ULONG>(n);
    return win32::S_OK;
  }
  ole32::HRESULT Write(const void* data, ole32::ULONG size, ole32::ULONG* written) override {
    if (written != nullptr) *written = 0;
    if (refuseWrites) return win32::STG_E_MEDIUMFULL;
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (position + size > bytes.size()) bytes.resize(position + size);
    std::copy(p, p + size, bytes.begin() + static_cast<std::ptrdiff_t>(position));
    position += size;
    if (written != nullptr) *written = size;
    return win32::S_OK;
  }
  ole32::HRESULT Seek(ole32::LARGE_INTEGER move, ole32::DWORD origin,
                      ole32::ULARGE_INTEGER* now) override {
    const std::int64_t from = origin == ole32::STREAM_SEEK_CUR ? static_cast<std::int64_t>(position)
                              : origin == ole32::STREAM_SEEK_END
                                  ? static_cast<std::int64_t>(bytes.size())
                                  : 0;
    position = static_cast<std::size_t>(from + move);
    if (now != nullptr) *now = position;
    return win32::S_OK;
  }
  ole32::HRESULT SetSize(ole32::ULARGE_INTEGER size) override {
    bytes.resize(static_cast<std::size_t>(size));
    return win32::S_OK;
  }
  ole32::HRESULT Stat(ole32::STATSTG* stat, ole32::DWORD) override {
    *stat = ole32::STATSTG{};
    stat->cbSize = claimedSize.value_or(bytes.size());
    return win32::S_OK;
  }

  Bytes bytes;
  std::size_t position = 0;
  std::optional<std::uint64_t> claimedSize;
  bool refuseWrites = false;
};

const CLSID kEncoders[] = {
    {0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}},  // BMP
    {0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}},  // JPEG
    {0x557CF402, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}},  // GIF
    {0x557CF405, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}},  // TIFF
    {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}},  // PNG
};

Bytes Cut(Bytes file, std::size_t keep) {
  file.resize(keep);
  return file;
}

// Where the reason shows: opening the picture, decoding it (for a save), or
// writing it out to a stream that refuses the bytes.
enum class Where { kOpening, kDecoding, kWriting };

struct Crafted {
  const char* what;
  Bytes file;
  std::optional<std::uint64_t> claimedSize;  // what the source stream says it holds
  Where where;
  PictureError reason;
  Status status;  // what the flat API gives
};

std::vector<Crafted> CraftedInputs() {
  using enum PictureError;
  const Bytes png = imaging_test::MakePngOf(imaging_test::MakePattern(40, 40, false));
  Bytes badChecksum = png;
  badChecksum[png.size() - 30] ^= 0xFF;  // inside the last data chunk
  imaging_test::BmpSpec bmp{4, 4, 24};
  bmp.pixels.assign(4 * 4 * 3, 0x40);
  imaging_test::BmpSpec unknownCompression = bmp;
  unknownCompression.compression = 9;
  // A 4 x 4 file whose header says 8193 x 8193: over 64 megapixels.
  Bytes huge = imaging_test::MakeBmp(bmp);
  for (const std::size_t field : {18u, 22u}) huge[field] = 0x01, huge[field + 1] = 0x20;
  imaging_test::GifFrame frame{0, 0, 16, 16, false, Bytes(16 * 16, 1), -1};
  const Bytes gif = imaging_test::MakeGif(16, 16, 4, 0, {frame});
  // A screen 20000 wide with two colours, and a 1 x 1 image on it.
  const Bytes wideGif = {'G', 'I', 'F', '8',  '9', 'a', 0x20, 0x4E, 1, 0, 0x80, 0, 0, 0, 0, 0,
                         255, 255, 255, 0x2C, 0,   0,   0,    0,    0, 1, 0,    1, 0, 0, 2};
  // The same image at 1 x 1 without any colours.
  const Bytes colourlessGif = {'G', 'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0,
                               0,   0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0, 2};
  // A screen and then the trailer: no image at all.
  const Bytes emptyGif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'};
  const Bytes jpegNoise = {0xFF, 0xD8, 0xFF, 0x01, 0x02, 0x03, 0x04, 0x05};
  imaging_test::TiffSpec tiff{4, 4, 2, 3};  // RGB
  tiff.bitsPerSample = 8;
  tiff.data.assign(4 * 4 * 3, 0x22);
  tiff.photometric = 32845;  // LogLuv: not one the RGBA interface takes at 8 bits
  const Bytes small = imaging_test::MakePngOf(imaging_test::MakePattern(8, 8, false));
  return {
      {"a stream over the source cap", small, kMaxSourceBytes + 1, Where::kOpening,
       kUnreadableSource, InvalidParameter},
      {"a stream shorter than it says", small, small.size() + 10, Where::kOpening,
       kUnreadableSource, InvalidParameter},
      {"text",
       {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'},
       {},
       Where::kOpening,
       kUnknownFormat,
       InvalidParameter},
      {"no bytes", {}, {}, Where::kOpening, kUnknownFormat, InvalidParameter},
      {"bmp, compression 9",
       imaging_test::MakeBmp(unknownCompression),
       {},
       Where::kOpening,
       kUnsupportedKind,
       InvalidParameter},
      {"tiff, LogLuv",
       imaging_test::MakeTiff(tiff),
       {},
       Where::kOpening,
       kUnsupportedKind,
       InvalidParameter},
      {"jpeg, noise after its marker",
       jpegNoise,
       {},
       Where::kOpening,
       kDamagedHeader,
       InvalidParameter},
      {"gif, no image", emptyGif, {}, Where::kOpening, kDamagedHeader, InvalidParameter},
      {"bmp, 8193 x 8193", huge, {}, Where::kOpening, kOverPixelLimit, InvalidParameter},
      {"gif, 20000 wide", wideGif, {}, Where::kOpening, kOverPixelLimit, InvalidParameter},
      {"gif, no colours", colourlessGif, {}, Where::kOpening, kUnsupportedKind, InvalidParameter},
      {"bmp, last row cut",
       Cut(imaging_test::MakeBmp(bmp), 54 + 12 * 3 + 5),
       {},
       Where::kOpening,
       kTruncated,
       InvalidParameter},
      {"png, cut in its header", Cut(png, 20), {}, Where::kOpening, kTruncated, InvalidParameter},
      {"png, cut in its data",
       Cut(png, png.size() - 40),
       {},
       Where::kDecoding,
       kTruncated,
       GenericError},
      {"gif, cut in its data",
       Cut(gif, gif.size() - 8),
       {},
       Where::kDecoding,
       kTruncated,
       GenericError},
      {"png, a data checksum wrong", badChecksum, {}, Where::kDecoding, kDamagedData, GenericError},
      {"png to a full stream", small, {}, Where::kWriting, kWriteFailed, Win32Error},
  };
}

using PictureErrors = GdiplusStarted;

TEST_F(PictureErrors, EachReasonArisesFromItsInputAndKeepsItsStatus) {
  for (const Crafted& c : CraftedInputs()) {
    SCOPED_TRACE(c.what);
    CraftedStream source(c.file);
    source.claimedSize = c.claimedSize;
    // As the codecs say it.
    PictureOr<std::unique_ptr<GpImage>> image = GpImage::FromStream(&source);
    if (c.where == Where::kOpening) {
      ASSERT_FALSE(image.ok());
      EXPECT_EQ(image.error(), c.reason) << PictureErrorText(image.error());
      GpBitmap* bitmap = reinterpret_cast<GpBitmap*>(&source);
      EXPECT_EQ(GdipCreateBitmapFromStream(&source, &bitmap), c.status);
      EXPECT_EQ(bitmap, nullptr);
      continue;
    }
    ASSERT_TRUE(image.ok()) << PictureErrorText(image.error());
    // Every encoder meets the same reason, and the stream stays as it was.
    for (const CLSID& clsid : kEncoders) {
      CraftedStream out(Bytes{'x', 'y'});
      out.position = 2;
      out.refuseWrites = c.where == Where::kWriting;
      GpBitmap* bitmap = nullptr;
      ASSERT_EQ(GdipCreateBitmapFromStream(&source, &bitmap), Ok);
      EXPECT_EQ(GdipSaveImageToStream(bitmap, &out, &clsid, nullptr), c.status)
          << FindEncoder(clsid)->name;
      GdipDisposeImage(bitmap);
      EXPECT_EQ(out.bytes, (Bytes{'x', 'y'})) << FindEncoder(clsid)->name;
      EXPECT_EQ(out.position, 2u) << FindEncoder(clsid)->name;

      PictureOr<std::unique_ptr<GpImage>> fresh = GpImage::FromStream(&source);
      ASSERT_TRUE(fresh.ok());
      StreamWriter writer(&out);
      const PictureResult saved = FindEncoder(clsid)->encode(**fresh, writer);
      ASSERT_FALSE(saved.ok()) << FindEncoder(clsid)->name;
      EXPECT_EQ(saved.error(), c.reason)
          << FindEncoder(clsid)->name << ": " << PictureErrorText(saved.error());
    }
  }
}

}  // namespace
}  // namespace gdiplus
