#include "platform/gdiplus/tiff_decoder.h"

#include <cstring>
#include <vector>

#include "platform/gdiplus/tiff_memory.h"

namespace gdiplus {
namespace {

// libtiff's RGBA reader state, ended on every path.
class RgbaReader {
 public:
  explicit RgbaReader(TIFF* tif) {
    char message[1024] = {};
    ok_ = TIFFRGBAImageOK(tif, message) != 0 && TIFFRGBAImageBegin(&image_, tif, 0, message) != 0;
  }
  ~RgbaReader() {
    if (ok_) TIFFRGBAImageEnd(&image_);
  }
  RgbaReader(const RgbaReader&) = delete;
  RgbaReader& operator=(const RgbaReader&) = delete;

  bool ok() const { return ok_; }
  TIFFRGBAImage& image() { return image_; }

 private:
  TIFFRGBAImage image_{};
  bool ok_ = false;
};

// libtiff's RGBA interface refuses photometric kinds, sample layouts and
// bit depths it cannot convert.
PictureOr<ImageInfo> ReadInfoFrom(RgbaReader& reader) {
  const TIFFRGBAImage& img = reader.image();
  if (!reader.ok()) return PictureError::kUnsupportedKind;
  if (PictureResult size = CheckDimensions(img.width, img.height); !size.ok()) return size.error();
  return ImageInfo{img.width, img.height, img.alpha != 0};
}

// libtiff hands back alpha premultiplied; pictures here carry it straight.
std::uint8_t Unpremultiply(std::uint32_t c, std::uint32_t a) {
  if (a == 0) return 0;
  const std::uint32_t v = (c * 255 + a / 2) / a;
  return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

}  // namespace

bool TiffDecoder::Sniff(ByteSpan data) {
  static constexpr std::uint8_t kIntel[] = {'I', 'I', 42, 0};
  static constexpr std::uint8_t kMotorola[] = {'M', 'M', 0, 42};
  return data.size() >= 4 &&
         (std::memcmp(data.data(), kIntel, 4) == 0 || std::memcmp(data.data(), kMotorola, 4) == 0);
}

PictureOr<ImageInfo> TiffDecoder::ReadInfo(ByteSpan data) {
  TiffMemoryFile file{data};
  TiffHandle tif = OpenTiffForReading(&file);
  if (!tif) return PictureError::kDamagedHeader;
  RgbaReader reader(tif.get());
  return ReadInfoFrom(reader);
}

PictureResult TiffDecoder::Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target) {
  TiffMemoryFile file{data};
  TiffHandle tif = OpenTiffForReading(&file);
  if (!tif) return PictureError::kDamagedHeader;
  RgbaReader reader(tif.get());
  const PictureOr<ImageInfo> read = ReadInfoFrom(reader);
  if (!read.ok()) return read.error();
  const ImageInfo& actual = *read;
  if (actual.width != info.width || actual.height != info.height) {
    return PictureError::kDamagedHeader;
  }
  reader.image().req_orientation = ORIENTATION_TOPLEFT;
  std::vector<std::uint32_t> raster(std::size_t{info.width} * info.height);
  if (TIFFRGBAImageGet(&reader.image(), raster.data(), info.width, info.height) == 0) {
    return PictureError::kDamagedData;
  }
  std::vector<std::uint8_t> row(std::size_t{info.width} * 4);
  for (std::uint32_t y = 0; y < info.height; ++y) {
    const std::uint32_t* in = raster.data() + std::size_t{y} * info.width;
    for (std::uint32_t x = 0; x < info.width; ++x) {
      const std::uint32_t p = in[x], a = TIFFGetA(p);
      std::uint8_t* out = &row[std::size_t{x} * 4];
      if (actual.hasAlpha) {
        out[0] = Unpremultiply(TIFFGetB(p), a);
        out[1] = Unpremultiply(TIFFGetG(p), a);
        out[2] = Unpremultiply(TIFFGetR(p), a);
        out[3] = static_cast<std::uint8_t>(a);
      } else {
        out[0] = static_cast<std::uint8_t>(TIFFGetB(p));
        out[1] = static_cast<std::uint8_t>(TIFFGetG(p));
        out[2] = static_cast<std::uint8_t>(TIFFGetR(p));
        out[3] = 0xFF;
      }
    }
    StoreBgraRow(target, y, row.data(), info.width);
  }
  return base::Done{};
}

}  // namespace gdiplus
