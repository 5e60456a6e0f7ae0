#include "tests/platform/gdiplus/test_images.h"

#include <gif_lib.h>
#include <tiffio.h>
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

namespace {

struct TiffOut {
  Bytes data;
  std::uint64_t pos = 0;
};
tmsize_t TRead(thandle_t h, void* b, tmsize_t n) {
  auto* t = static_cast<TiffOut*>(h);
  const std::uint64_t k =
      std::min<std::uint64_t>(n, t->pos < t->data.size() ? t->data.size() - t->pos : 0);
  std::memcpy(b, t->data.data() + t->pos, k);
  t->pos += k;
  return static_cast<tmsize_t>(k);
}
tmsize_t TWrite(thandle_t h, void* b, tmsize_t n) {
  auto* t = static_cast<TiffOut*>(h);
  if (t->pos + n > t->data.size()) t->data.resize(t->pos + n);
  std::memcpy(t->data.data() + t->pos, b, n);
  t->pos += n;
  return n;
}
toff_t TSeek(thandle_t h, toff_t off, int whence) {
  auto* t = static_cast<TiffOut*>(h);
  t->pos = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? t->pos : t->data.size()) + off;
  return t->pos;
}
int TClose(thandle_t) { return 0; }
toff_t TSize(thandle_t h) { return static_cast<TiffOut*>(h)->data.size(); }
int TMap(thandle_t, void**, toff_t*) { return 0; }
void TUnmap(thandle_t, void*, toff_t) {}

}  // namespace

Bytes MakeTiff(const TiffSpec& s) {
  TiffOut out;
  TIFF* tif = TIFFClientOpen("test", "w", &out, TRead, TWrite, TSeek, TClose, TSize, TMap, TUnmap);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bitsPerSample);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
  if (s.unassociatedAlpha) {
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  if (!s.colormap.empty()) {
    const std::size_t n = s.colormap.size() / 3;
    TIFFSetField(tif, TIFFTAG_COLORMAP, s.colormap.data(), s.colormap.data() + n,
                 s.colormap.data() + 2 * n);
  }
  const std::size_t rowBytes = (std::size_t{s.width} * s.samples * s.bitsPerSample + 7) / 8;
  if (s.tiled) {
    const std::uint32_t tile = 16;
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, tile);
    const std::size_t bpp = std::size_t(s.samples) * s.bitsPerSample / 8;  // 8-bit samples only
    Bytes buf(tile * tile * bpp);
    for (std::uint32_t ty = 0; ty < s.height; ty += tile) {
      for (std::uint32_t tx = 0; tx < s.width; tx += tile) {
        std::fill(buf.begin(), buf.end(), 0);
        for (std::uint32_t y = 0; y < tile && ty + y < s.height; ++y) {
          for (std::uint32_t x = 0; x < tile && tx + x < s.width; ++x) {
            std::memcpy(&buf[(y * tile + x) * bpp], &s.data[(ty + y) * rowBytes + (tx + x) * bpp],
                        bpp);
          }
        }
        TIFFWriteTile(tif, buf.data(), tx, ty, 0, 0);
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 7);
    for (std::uint32_t y = 0; y < s.height; ++y) {
      TIFFWriteScanline(tif, const_cast<std::uint8_t*>(&s.data[y * rowBytes]), y, 0);
    }
  }
  TIFFClose(tif);
  return out.data;
}

Picture ReadTiffSamples(const Bytes& file) {
  TiffOut in{file, 0};
  TIFF* tif = TIFFClientOpen("test", "r", &in, TRead, TWrite, TSeek, TClose, TSize, TMap, TUnmap);
  if (tif == nullptr) return {};
  std::uint32_t width = 0, height = 0;
  std::uint16_t samples = 0, bits = 0, photometric = 0, planar = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  Picture p;
  if (bits == 8 && planar == PLANARCONFIG_CONTIG && photometric == PHOTOMETRIC_RGB &&
      (samples == 3 || samples == 4) && TIFFScanlineSize(tif) == tmsize_t{width} * samples) {
    p = {width, height, samples == 4, Bytes(std::size_t{width} * height * 4)};
    Bytes row(std::size_t{width} * samples);
    for (std::uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(tif, row.data(), y, 0) < 0) {
        p = {};
        break;
      }
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t* s = &row[std::size_t{x} * samples];
        std::uint8_t* o = &p.bgra[(std::size_t{y} * width + x) * 4];
        o[0] = s[2], o[1] = s[1], o[2] = s[0], o[3] = samples == 4 ? s[3] : 0xFF;
      }
    }
  }
  TIFFClose(tif);
  return p;
}

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
