#include "platform/gdiplus/tiff_writer.h"

#include <vector>

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/tiff_memory.h"

namespace gdiplus {
namespace {

// Converts rows to R G B (A) and writes them as strips.
bool WritePage(TIFF* tif, const std::uint8_t* bgra, const ImageInfo& info) {
  const int samples = info.hasAlpha ? 4 : 3;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, info.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, info.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  if (info.hasAlpha) {
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  std::vector<std::uint8_t> row(std::size_t{info.width} * samples);
  for (std::uint32_t y = 0; y < info.height; ++y) {
    const std::uint8_t* in = bgra + std::size_t{y} * info.width * 4;
    for (std::uint32_t x = 0; x < info.width; ++x, in += 4) {
      std::uint8_t* o = &row[std::size_t{x} * samples];
      o[0] = in[2];
      o[1] = in[1];
      o[2] = in[0];
      if (samples == 4) o[3] = in[3];
    }
    if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
  }
  return TIFFWriteDirectory(tif) != 0;
}

}  // namespace

PictureResult WriteTiff(GpImage& image, StreamWriter& out) {
  const PictureOr<const std::uint8_t*> pixels = image.Pixels();
  if (!pixels.ok()) return pixels.error();
  std::vector<std::uint8_t> file;
  {
    TiffMemoryFile memory;
    memory.output = &file;
    TiffHandle tif = OpenTiffForWriting(&memory);
    if (!tif || !WritePage(tif.get(), *pixels, image.info())) return PictureError::kEncodeFailed;
    // Closing flushes the last of the file into `file`.
    tif.reset();
  }
  if (!out.Write(file.data(), file.size())) return PictureError::kWriteFailed;
  out.Commit();
  return base::Done{};
}

}  // namespace gdiplus
