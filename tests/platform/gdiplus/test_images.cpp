#include "tests/platform/gdiplus/test_images.h"

#include <gif_lib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace imaging_test {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "test picture: %s failed\n", what);
  std::abort();
}

Bytes CompressTj(const std::uint8_t* pixels, std::uint32_t w, std::uint32_t h, int format,
                 int subsampling, int quality, int flags) {
  tjhandle c = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(c, pixels, static_cast<int>(w), 0, static_cast<int>(h), format, &out, &size,
                  subsampling, quality, flags) != 0) {
    Fail("tjCompress2");
  }
  Bytes jpeg(out, out + size);
  tjFree(out);
  tjDestroy(c);
  return jpeg;
}

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

}  // namespace

Picture MakePattern(std::uint32_t width, std::uint32_t height, bool withAlpha) {
  Picture p{width, height, withAlpha, Bytes(std::size_t{width} * height * 4)};
  std::uint32_t seed = 12345;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      seed = seed * 1103515245 + 12345;
      std::uint8_t* o = &p.bgra[(std::size_t{y} * width + x) * 4];
      o[0] = static_cast<std::uint8_t>(x * 255 / std::max(1u, width - 1));
      o[1] = static_cast<std::uint8_t>(y * 255 / std::max(1u, height - 1));
      o[2] = static_cast<std::uint8_t>((x + y) * 250 / std::max(1u, width + height - 2) +
                                       ((seed >> 16) & 3));
      o[3] = withAlpha ? static_cast<std::uint8_t>((x * 13 + y * 29) & 0xFF) : 0xFF;
    }
  }
  return p;
}

std::array<std::uint8_t, 3> PaletteColor(int i) {
  return {static_cast<std::uint8_t>(i * 37 + 11), static_cast<std::uint8_t>(255 - i * 53),
          static_cast<std::uint8_t>(i * 91 + 200)};
}

Picture MakePaletted(std::uint32_t width, std::uint32_t height, int colors) {
  Picture p{width, height, false, Bytes(std::size_t{width} * height * 4)};
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const auto c = PaletteColor(static_cast<int>((x / 3 + y * 5) % colors));
      std::uint8_t* o = &p.bgra[(std::size_t{y} * width + x) * 4];
      o[0] = c[2], o[1] = c[1], o[2] = c[0], o[3] = 0xFF;
    }
  }
  return p;
}

Bytes MakeJpeg(const Picture& p, int quality, int subsampling, bool progressive) {
  return CompressTj(p.bgra.data(), p.width, p.height, TJPF_BGRX, subsampling, quality,
                    progressive ? TJFLAG_PROGRESSIVE : 0);
}

Bytes MakeGreyJpeg(const Bytes& grey, std::uint32_t w, std::uint32_t h) {
  return CompressTj(grey.data(), w, h, TJPF_GRAY, TJSAMP_GRAY, 90, 0);
}

Bytes MakeCmykJpeg(const Bytes& cmyk, std::uint32_t w, std::uint32_t h) {
  return CompressTj(cmyk.data(), w, h, TJPF_CMYK, TJSAMP_444, 95, 0);
}

Bytes TurboDecode(const Bytes& jpeg, bool cmyk) {
  tjhandle d = tjInitDecompress();
  int w = 0, h = 0, ss = 0, cs = 0;
  if (tjDecompressHeader3(d, jpeg.data(), jpeg.size(), &w, &h, &ss, &cs) != 0) Fail("header");
  const int bpp = cmyk ? 4 : 3;
  Bytes out(static_cast<std::size_t>(w) * h * bpp);
  if (tjDecompress2(d, jpeg.data(), jpeg.size(), out.data(), w, 0, h, cmyk ? TJPF_CMYK : TJPF_BGR,
                    0) != 0) {
    Fail("tjDecompress2");
  }
  tjDestroy(d);
  return out;
}

Bytes MakePng(const PngSpec& spec) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  for (const Bytes& r : spec.rows) rows.push_back(const_cast<png_bytep>(r.data()));
  if (setjmp(png_jmpbuf(png))) Fail("libpng write");
  png_set_write_fn(png, &out, PngWrite, nullptr);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty()) {
    png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  }
  if (!spec.paletteAlpha.empty()) {
    png_set_tRNS(png, info, spec.paletteAlpha.data(), static_cast<int>(spec.paletteAlpha.size()),
                 nullptr);
  } else if (spec.hasTransparentColor) {
    png_set_tRNS(png, info, nullptr, 0, &spec.transparentColor);
  }
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes MakeRowColourPng(std::uint32_t width, std::uint32_t height,
                       const std::function<std::array<std::uint8_t, 3>(std::uint32_t)>& rowColour) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) Fail("libpng write");
  png_set_write_fn(png, &out, PngWrite, nullptr);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  Bytes row(std::size_t{width} * 3);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::array<std::uint8_t, 3> c = rowColour(y);
    for (std::size_t x = 0; x < width; ++x) std::copy(c.begin(), c.end(), row.begin() + x * 3);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes MakeOneColourPng(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g,
                       std::uint8_t b) {
  return MakeRowColourPng(width, height, [&](std::uint32_t) { return std::array{r, g, b}; });
}

Bytes MakePngOf(const Picture& p, bool interlaced) {
  PngSpec s;
  s.width = p.width;
  s.height = p.height;
  s.colorType = p.hasAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  s.interlaced = interlaced;
  for (std::uint32_t y = 0; y < p.height; ++y) {
    Bytes row;
    for (std::uint32_t x = 0; x < p.width; ++x) {
      const std::uint8_t* c = p.At(x, y);
      row.insert(row.end(), {c[2], c[1], c[0]});
      if (p.hasAlpha) row.push_back(c[3]);
    }
    s.rows.push_back(row);
  }
  return MakePng(s);
}

namespace {

int GifWrite(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

void PutFrame(GifFileType* gif, const GifFrame& f) {
  if (f.transparentIndex >= 0) {
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, f.transparentIndex};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
  }
  EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, nullptr);
  // Stored rows go in interlace order when interlaced.
  std::vector<int> order;
  if (!f.interlaced) {
    for (int y = 0; y < f.height; ++y) order.push_back(y);
  } else {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < f.height; y += step[pass]) order.push_back(y);
  }
  for (int y : order) {
    EGifPutLine(gif, const_cast<GifPixelType*>(&f.indices[std::size_t(y) * f.width]), f.width);
  }
}

}  // namespace

Bytes MakeGif(int screenWidth, int screenHeight, int colors, int backgroundIndex,
              const std::vector<GifFrame>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  int bits = 1;
  while ((1 << bits) < colors) ++bits;
  ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
  for (int i = 0; i < map->ColorCount; ++i) {
    const auto c = PaletteColor(i);
    map->Colors[i] = GifColorType{c[0], c[1], c[2]};
  }
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, screenWidth, screenHeight, bits, backgroundIndex, map);
  for (const GifFrame& f : frames) PutFrame(gif, f);
  if (EGifCloseFile(gif, &error) != GIF_OK) Fail("EGifCloseFile");
  GifFreeMapObject(map);
  return out;
}

int MaxDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return std::numeric_limits<int>::max();
  const int channels = a.hasAlpha && b.hasAlpha ? 4 : 3;
  int worst = 0;
  for (std::size_t i = 0; i < a.bgra.size(); i += 4) {
    for (int k = 0; k < channels; ++k)
      worst = std::max(worst, std::abs(a.bgra[i + k] - b.bgra[i + k]));
  }
  return worst;
}

double MeanDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return std::numeric_limits<double>::infinity();
  double sum = 0;
  for (std::size_t i = 0; i < a.bgra.size(); i += 4) {
    for (int k = 0; k < 3; ++k) sum += std::abs(a.bgra[i + k] - b.bgra[i + k]);
  }
  return a.bgra.empty() ? 0 : sum / (a.bgra.size() / 4 * 3);
}

}  // namespace imaging_test
