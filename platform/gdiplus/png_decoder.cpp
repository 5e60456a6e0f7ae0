#include "platform/gdiplus/png_decoder.h"

#include <png.h>

#include <vector>

#include "platform/gdiplus/png_session.h"

namespace gdiplus {

bool PngDecoder::Sniff(ByteSpan data) {
  return data.size() >= 8 && png_sig_cmp(data.data(), 0, 8) == 0;
}

PictureOr<ImageInfo> PngDecoder::ReadInfo(ByteSpan data) {
  const PictureOr<PngHeader> header = PngReadHeader(data);
  if (!header.ok()) return header.error();
  if (PictureResult size = CheckDimensions(header->width, header->height); !size.ok()) {
    return size.error();
  }
  return ImageInfo{header->width, header->height,
                   (header->colorType & PNG_COLOR_MASK_ALPHA) != 0 || header->hasTransparency};
}

PictureResult PngDecoder::Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target) {
  std::vector<std::uint8_t*> rows(info.height);
  for (std::uint32_t y = 0; y < info.height; ++y) rows[y] = target.Row(y);
  return PngReadImage(data, target.bytesPerPixel, rows.data(), info.width, info.height);
}

}  // namespace gdiplus
