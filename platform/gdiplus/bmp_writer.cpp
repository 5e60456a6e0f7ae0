#include "platform/gdiplus/bmp_writer.h"

#include <cstring>
#include <vector>

#include "platform/gdiplus/bmp_format.h"
#include "platform/gdiplus/image.h"

namespace gdiplus {
namespace {

using namespace bmp;

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

struct Layout {
  unsigned bitsPerPixel;
  std::uint32_t headerSize;
  std::size_t stride;
  std::size_t pixelOffset;
  std::size_t total;
};

Layout LayoutFor(const ImageInfo& info) {
  Layout l;
  l.bitsPerPixel = info.hasAlpha ? 32 : 24;
  l.headerSize = info.hasAlpha ? kV4HeaderSize : kInfoHeaderSize;
  l.stride = static_cast<std::size_t>(RowStride(info.width, l.bitsPerPixel));
  l.pixelOffset = kFileHeaderSize + l.headerSize;
  l.total = l.pixelOffset + l.stride * info.height;
  return l;
}

// File header and information header; `out` starts zeroed or is fully set here.
void WriteHeaders(std::uint8_t* out, const ImageInfo& info, const Layout& l) {
  std::memset(out, 0, l.pixelOffset);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out + 2, static_cast<std::uint32_t>(l.total));
  Put32(out + 10, static_cast<std::uint32_t>(l.pixelOffset));
  std::uint8_t* h = out + kFileHeaderSize;
  Put32(h, l.headerSize);
  Put32(h + 4, info.width);
  Put32(h + 8, info.height);  // positive: bottom row first
  Put16(h + 12, 1);
  Put16(h + 14, l.bitsPerPixel);
  Put32(h + 16, info.hasAlpha ? BI_BITFIELDS : BI_RGB);
  Put32(h + 20, static_cast<std::uint32_t>(l.total - l.pixelOffset));
  Put32(h + 24, kPixelsPerMetre);
  Put32(h + 28, kPixelsPerMetre);
  if (info.hasAlpha) {
    Put32(h + 40, 0x00FF0000);
    Put32(h + 44, 0x0000FF00);
    Put32(h + 48, 0x000000FF);
    Put32(h + 52, 0xFF000000);
    Put32(h + 56, LCS_sRGB);
  }
}

}  // namespace

Status WriteBmp(GpImage& image, StreamWriter& out) {
  const ImageInfo& info = image.info();
  const Layout l = LayoutFor(info);
  std::vector<std::uint8_t> local;
  std::uint8_t* file = out.Reserve(l.total);
  if (file == nullptr) {
    local.assign(l.total, 0);
    file = local.data();
  }
  WriteHeaders(file, info, l);
  std::uint8_t* pixels = file + l.pixelOffset;
  const PixelTarget bottomUp{pixels + (info.height - 1) * l.stride,
                             -static_cast<std::ptrdiff_t>(l.stride),
                             static_cast<int>(l.bitsPerPixel / 8)};
  if (!image.DecodeInto(bottomUp)) return GenericError;
  const std::size_t used = std::size_t{info.width} * (l.bitsPerPixel / 8);
  if (used < l.stride) {
    for (std::uint32_t y = 0; y < info.height; ++y) {
      std::memset(pixels + y * l.stride + used, 0, l.stride - used);
    }
  }
  if (!local.empty() && !out.Write(local.data(), local.size())) return Win32Error;
  out.Commit();
  return Ok;
}

}  // namespace gdiplus
