#include "platform/gdiplus/png_decoder.h"

#include <png.h>

#include <vector>

#include "platform/gdiplus/png_session.h"

namespace gdiplus {

bool PngDecoder::Sniff(ByteSpan data) {
  return data.size() >= 8 && png_sig_cmp(data.data(), 0, 8) == 0;
}

bool PngDecoder::ReadInfo(ByteSpan data, ImageInfo* info) {
  PngHeader header;
  if (!PngReadHeader(data, &header) || !DimensionsAllowed(header.width, header.height)) {
    return false;
  }
  info->width = header.width;
  info->height = header.height;
  info->hasAlpha = (header.colorType & PNG_COLOR_MASK_ALPHA) != 0 || header.hasTransparency;
  return true;
}

bool PngDecoder::Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target) {
  std::vector<std::uint8_t*> rows(info.height);
  for (std::uint32_t y = 0; y < info.height; ++y) rows[y] = target.Row(y);
  return PngReadImage(data, target.bytesPerPixel, rows.data(), info.width, info.height);
}

}  // namespace gdiplus
