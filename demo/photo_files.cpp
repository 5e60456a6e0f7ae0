#include "demo/photo_files.h"

#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace pixaroo::demo {

namespace {

// Levels of the GIF colour cube per channel: red, green, blue.
constexpr int kCubeRed = 6;
constexpr int kCubeGreen = 7;
constexpr int kCubeBlue = 6;
constexpr int kGifPaletteSize = 256;
constexpr int kGifColorBits = 8;

bool WellFormed(const Raster& r) {
  return r.width > 0 && r.height > 0 && r.width <= kMaxPaintedSide && r.height <= kMaxPaintedSide &&
         r.rgb.size() == static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height) * 3;
}

struct TjDestroyer {
  void operator()(tjhandle h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<std::remove_pointer_t<tjhandle>, TjDestroyer>;
struct TjFreer {
  void operator()(unsigned char* p) const { tjFree(p); }
};
using TjBuffer = std::unique_ptr<unsigned char, TjFreer>;

// Owns a libpng write struct and its info struct.
class PngWriter {
 public:
  PngWriter() {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~PngWriter() { png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr); }
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

void FlushPng(png_structp) {}

// libpng reports errors by longjmp back here; only C frames lie between.
bool WritePng(png_structp png, png_infop info, const Raster& raster,
              const std::vector<png_bytep>& rows, std::string* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendPng, FlushPng);
  png_set_IHDR(png, info, static_cast<png_uint_32>(raster.width),
               static_cast<png_uint_32>(raster.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  return true;
}

struct GifCloser {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
using GifWriter = std::unique_ptr<GifFileType, GifCloser>;
struct GifMapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using GifMap = std::unique_ptr<ColorMapObject, GifMapFreer>;

int AppendGif(GifFileType* gif, const GifByteType* data, int length) {
  if (length <= 0) return 0;
  static_cast<std::string*>(gif->UserData)
      ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
  return length;
}

int CubeLevel(std::uint8_t v, int levels) { return (v * (levels - 1) + 127) / 255; }

GifMap CubePalette() {
  GifMap map(GifMakeMapObject(kGifPaletteSize, nullptr));
  if (!map) return map;
  int i = 0;
  for (int r = 0; r < kCubeRed; ++r) {
    for (int g = 0; g < kCubeGreen; ++g) {
      for (int b = 0; b < kCubeBlue; ++b, ++i) {
        map->Colors[i] = {static_cast<GifByteType>(r * 255 / (kCubeRed - 1)),
                          static_cast<GifByteType>(g * 255 / (kCubeGreen - 1)),
                          static_cast<GifByteType>(b * 255 / (kCubeBlue - 1))};
      }
    }
  }
  for (; i < kGifPaletteSize; ++i) map->Colors[i] = {0, 0, 0};
  return map;
}

}  // namespace

std::string EncodeJpeg(const Raster& raster, int quality) {
  if (!WellFormed(raster)) return {};
  TjHandle tj(tjInitCompress());
  if (!tj) return {};
  unsigned char* raw = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(tj.get(), raster.rgb.data(), raster.width, 0, raster.height, TJPF_RGB,
                             &raw, &size, TJSAMP_420, std::clamp(quality, 1, 100), 0);
  TjBuffer buffer(raw);
  if (rc != 0 || !buffer) return {};
  return std::string(reinterpret_cast<const char*>(buffer.get()), size);
}

std::string EncodePng(const Raster& raster) {
  if (!WellFormed(raster)) return {};
  PngWriter writer;
  if (writer.png() == nullptr || writer.info() == nullptr) return {};
  std::vector<png_bytep> rows(static_cast<std::size_t>(raster.height));
  const std::size_t stride = static_cast<std::size_t>(raster.width) * 3;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    rows[y] = const_cast<png_bytep>(raster.rgb.data() + y * stride);
  }
  std::string out;
  if (!WritePng(writer.png(), writer.info(), raster, rows, &out)) return {};
  return out;
}

std::string EncodeGif(const Raster& raster) {
  if (!WellFormed(raster)) return {};
  std::string out;
  int error = 0;
  GifWriter gif(EGifOpen(&out, AppendGif, &error));
  GifMap palette = CubePalette();
  if (!gif || !palette) return {};
  EGifSetGifVersion(gif.get(), true);
  if (EGifPutScreenDesc(gif.get(), raster.width, raster.height, kGifColorBits, 0, palette.get()) ==
          GIF_ERROR ||
      EGifPutImageDesc(gif.get(), 0, 0, raster.width, raster.height, false, nullptr) == GIF_ERROR) {
    return {};
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(raster.width));
  const std::uint8_t* p = raster.rgb.data();
  for (int y = 0; y < raster.height; ++y) {
    for (auto& index : line) {
      index = static_cast<GifPixelType>(
          (CubeLevel(p[0], kCubeRed) * kCubeGreen + CubeLevel(p[1], kCubeGreen)) * kCubeBlue +
          CubeLevel(p[2], kCubeBlue));
      p += 3;
    }
    if (EGifPutLine(gif.get(), line.data(), raster.width) == GIF_ERROR) return {};
  }
  // Closing writes the trailer; the handle is gone whatever the outcome.
  if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) return {};
  return out;
}

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string EncodeBmp(const Raster& raster) {
  if (!WellFormed(raster)) return {};
  constexpr std::uint32_t kHeaders = 14 + 40;
  const auto width = static_cast<std::uint32_t>(raster.width);
  const std::uint32_t stride = (width * 3 + 3) & ~3u;
  const std::uint32_t pixels = stride * static_cast<std::uint32_t>(raster.height);
  std::string out = "BM";
  PutLe(out, kHeaders + pixels, 4);
  PutLe(out, 0, 4);
  PutLe(out, kHeaders, 4);
  PutLe(out, 40, 4);  // BITMAPINFOHEADER
  PutLe(out, width, 4);
  PutLe(out, static_cast<std::uint32_t>(raster.height), 4);  // bottom-up
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  // No compression; image size, resolution and palette counts left to readers.
  for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
  for (int y = raster.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    const std::uint8_t* row = raster.rgb.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < raster.width; ++x) {
      const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      out.push_back(static_cast<char>(p[2]));
      out.push_back(static_cast<char>(p[1]));
      out.push_back(static_cast<char>(p[0]));
    }
    out.resize(rowStart + stride, '\0');
  }
  return out;
}

std::string EncodeTiff(const Raster& raster) {
  if (!WellFormed(raster)) return {};
  // Little-endian baseline RGB: header, the pixels in one strip, then the
  // directory and the two values that do not fit in their entries.
  const auto pixels = static_cast<std::uint32_t>(raster.rgb.size());
  const std::uint32_t pixelsAt = 8;
  const std::uint32_t directoryAt = pixelsAt + pixels + (pixels & 1);
  constexpr std::uint16_t kEntries = 10;
  const std::uint32_t bitsAt = directoryAt + 2 + kEntries * 12 + 4;
  std::string out = "II";
  PutLe(out, 42, 2);
  PutLe(out, directoryAt, 4);
  out.append(reinterpret_cast<const char*>(raster.rgb.data()), raster.rgb.size());
  if (pixels & 1) out.push_back('\0');
  PutLe(out, kEntries, 2);
  auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                   std::uint32_t value) {
    PutLe(out, tag, 2);
    PutLe(out, type, 2);
    PutLe(out, count, 4);
    PutLe(out, value, 4);
  };
  constexpr std::uint16_t kShort = 3;
  constexpr std::uint16_t kLong = 4;
  entry(256, kLong, 1, static_cast<std::uint32_t>(raster.width));   // ImageWidth
  entry(257, kLong, 1, static_cast<std::uint32_t>(raster.height));  // ImageLength
  entry(258, kShort, 3, bitsAt);                                     // BitsPerSample 8, 8, 8
  entry(259, kShort, 1, 1);                                          // no compression
  entry(262, kShort, 1, 2);                                          // RGB
  entry(273, kLong, 1, pixelsAt);                                    // StripOffsets
  entry(277, kShort, 1, 3);                                          // SamplesPerPixel
  entry(278, kLong, 1, static_cast<std::uint32_t>(raster.height));  // RowsPerStrip
  entry(279, kLong, 1, pixels);                                      // StripByteCounts
  entry(284, kShort, 1, 1);                                          // chunky
  PutLe(out, 0, 4);  // no next directory
  for (int i = 0; i < 3; ++i) PutLe(out, 8, 2);
  return out;
}

}  // namespace pixaroo::demo
