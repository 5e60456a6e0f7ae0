// TIFF test pictures made with libtiff in memory, and a reader of their
// samples as stored.
#include "tests/platform/gdiplus/test_images.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace imaging_test {
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

}  // namespace imaging_test
