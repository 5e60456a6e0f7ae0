#include "platform/gdiplus/bmp_writer.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "base/little_endian.h"
#include "platform/gdiplus/bmp_format.h"
#include "platform/gdiplus/image.h"

namespace gdiplus {
namespace {

using namespace bmp;

void Put16(std::uint8_t* p, std::uint32_t v) {
  base::EncodeFixed16(p, static_cast<std::uint16_t>(v));
}
void Put32(std::uint8_t* p, std::uint32_t v) { base::EncodeFixed32(p, v); }

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
  Put32(out + kFileSizeField, static_cast<std::uint32_t>(l.total));
  Put32(out + kPixelOffsetField, static_cast<std::uint32_t>(l.pixelOffset));
  std::uint8_t* h = out + kFileHeaderSize;
  Put32(h + kHeaderSizeField, l.headerSize);
  Put32(h + kWidthField, info.width);
  Put32(h + kHeightField, info.height);  // positive: bottom row first
  Put16(h + kPlanesField, 1);
  Put16(h + kBitCountField, l.bitsPerPixel);
  Put32(h + kCompressionField, info.hasAlpha ? BI_BITFIELDS : BI_RGB);
  Put32(h + kImageSizeField, static_cast<std::uint32_t>(l.total - l.pixelOffset));
  Put32(h + kXPixelsPerMetreField, kPixelsPerMetre);
  Put32(h + kYPixelsPerMetreField, kPixelsPerMetre);
  if (info.hasAlpha) {
    Put32(h + kRedMaskField, 0x00FF0000);
    Put32(h + kGreenMaskField, 0x0000FF00);
    Put32(h + kBlueMaskField, 0x000000FF);
    Put32(h + kAlphaMaskField, 0xFF000000);
    Put32(h + kColourSpaceField, LCS_sRGB);
  }
}

}  // namespace

std::size_t BmpFileSize(const ImageInfo& info) { return LayoutFor(info).total; }

PictureResult WriteBmpInto(GpImage& image, std::uint8_t* file) {
  const ImageInfo& info = image.info();
  const Layout l = LayoutFor(info);
  WriteHeaders(file, info, l);
  std::uint8_t* pixels = file + l.pixelOffset;
  const PixelTarget bottomUp{pixels + (info.height - 1) * l.stride,
                             -static_cast<std::ptrdiff_t>(l.stride),
                             static_cast<int>(l.bitsPerPixel / 8)};
  if (PictureResult decoded = image.DecodeInto(bottomUp); !decoded.ok()) return decoded;
  const std::size_t used = std::size_t{info.width} * (l.bitsPerPixel / 8);
  if (used < l.stride) {
    for (std::uint32_t y = 0; y < info.height; ++y) {
      std::memset(pixels + y * l.stride + used, 0, l.stride - used);
    }
  }
  return base::Done{};
}

std::vector<std::uint8_t> RemakeBmp(const BmpRecipe& recipe) {
  try {
    PictureOr<std::unique_ptr<GpImage>> image = GpImage::Create(
        std::vector<std::uint8_t>(recipe.source()->begin(), recipe.source()->end()));
    if (!image.ok() || BmpFileSize((*image)->info()) != recipe.size()) return {};
    (*image)->HoldPixels();
    std::vector<std::uint8_t> file(recipe.size());
    if (!WriteBmpInto(**image, file.data()).ok() || !recipe.Gives(file)) return {};
    return file;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

PictureResult WriteBmp(GpImage& image, StreamWriter& out) {
  const std::size_t total = BmpFileSize(image.info());
  std::vector<std::uint8_t> local;
  std::uint8_t* file = out.Reserve(total);
  if (file == nullptr) {
    local.assign(total, 0);
    file = local.data();
  }
  if (PictureResult written = WriteBmpInto(image, file); !written.ok()) return written;
  RememberBmp(image.source(), ByteSpan(file, total));
  if (!local.empty() && !out.Write(local.data(), local.size())) return PictureError::kWriteFailed;
  out.Commit();
  return base::Done{};
}

}  // namespace gdiplus
