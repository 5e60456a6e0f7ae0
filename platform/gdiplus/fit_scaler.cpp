#include "platform/gdiplus/fit_scaler.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "base/little_endian.h"
#include "platform/gdiplus/bmp_format.h"
#include "platform/gdiplus/image.h"

namespace gdiplus {
namespace {

// Top-down access to a picture's pixel rows.
struct RowSource {
  const std::uint8_t* top = nullptr;  // first byte of the top row
  std::ptrdiff_t pitch = 0;           // bytes from one row to the next one down
  int bytesPerPixel = 4;              // 3: B G R; 4: B G R A or B G R x
  bool alpha = false;                 // the fourth byte is alpha
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  const std::uint8_t* Row(std::uint32_t y) const {
    return top + static_cast<std::ptrdiff_t>(y) * pitch;
  }
};

// A field the caller has checked lies inside the file.
std::uint32_t Get32(const std::uint8_t* p) { return base::DecodeFixed32(p); }

// The rows of a BMP as the encoder writes them, or nothing for any other
// kind of BMP (palettes, compression, unusual masks), which the decoder
// handles instead.
bool PlainBmpRows(ByteSpan file, RowSource* rows) {
  using namespace bmp;
  if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') {
    return false;
  }
  const std::uint8_t* h = file.data() + kFileHeaderSize;
  const std::uint32_t headerSize = Get32(h + kHeaderSizeField);
  const auto width = static_cast<std::int32_t>(Get32(h + kWidthField));
  const auto height = static_cast<std::int32_t>(Get32(h + kHeightField));
  const std::uint32_t bits = base::DecodeFixed16(h + kBitCountField);
  const std::uint32_t compression = Get32(h + kCompressionField);
  if (headerSize < kInfoHeaderSize || headerSize > file.size() - kFileHeaderSize) return false;
  const bool standardMasks = compression == BI_BITFIELDS && headerSize >= 56 && bits == 32 &&
                             Get32(h + kRedMaskField) == 0x00FF0000 &&
                             Get32(h + kGreenMaskField) == 0x0000FF00 &&
                             Get32(h + kBlueMaskField) == 0x000000FF;
  if (!(compression == BI_RGB && (bits == 24 || bits == 32)) && !standardMasks) return false;
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  const std::uint64_t w = static_cast<std::uint64_t>(width);
  const std::uint64_t hAbs = height < 0 ? std::uint64_t(-std::int64_t{height}) : std::uint64_t(height);
  if (!DimensionsAllowed(w, hAbs)) return false;
  const std::uint64_t stride = RowStride(w, bits);
  const std::uint64_t offset = Get32(file.data() + kPixelOffsetField);
  if (offset < kFileHeaderSize + headerSize || offset > file.size() ||
      stride * hAbs > file.size() - offset) {
    return false;
  }
  rows->width = static_cast<std::uint32_t>(w);
  rows->height = static_cast<std::uint32_t>(hAbs);
  rows->bytesPerPixel = static_cast<int>(bits / 8);
  rows->alpha = standardMasks && Get32(h + kAlphaMaskField) == 0xFF000000;
  const std::uint8_t* pixels = file.data() + offset;
  if (height > 0) {  // bottom row first
    rows->top = pixels + (hAbs - 1) * stride;
    rows->pitch = -static_cast<std::ptrdiff_t>(stride);
  } else {
    rows->top = pixels;
    rows->pitch = static_cast<std::ptrdiff_t>(stride);
  }
  return true;
}

// The source columns (or rows) [first[i], first[i + 1]) that box pixel i
// covers; at least one each.
std::vector<std::uint32_t> Spans(std::uint32_t source, std::uint32_t fit) {
  std::vector<std::uint32_t> first(fit + 1);
  for (std::uint32_t i = 0; i <= fit; ++i) {
    first[i] = static_cast<std::uint32_t>(std::uint64_t{i} * source / fit);
  }
  return first;
}

std::uint32_t End(const std::vector<std::uint32_t>& first, std::uint32_t i, std::uint32_t limit) {
  const std::uint32_t end = first[i + 1] > first[i] ? first[i + 1] : first[i] + 1;
  return end < limit ? end : limit;
}

FittedPicture Scale(const RowSource& src, std::uint32_t fitWidth, std::uint32_t fitHeight) {
  FittedPicture out;
  out.width = fitWidth;
  out.height = fitHeight;
  out.bgra.resize(std::size_t{fitWidth} * fitHeight * 4);
  const std::vector<std::uint32_t> xs = Spans(src.width, fitWidth);
  const std::vector<std::uint32_t> ys = Spans(src.height, fitHeight);
  std::vector<std::uint64_t> sums(std::size_t{fitWidth} * 4);
  for (std::uint32_t ty = 0; ty < fitHeight; ++ty) {
    std::fill(sums.begin(), sums.end(), 0);
    const std::uint32_t y0 = ys[ty], y1 = End(ys, ty, src.height);
    for (std::uint32_t y = y0; y < y1; ++y) {
      const std::uint8_t* row = src.Row(y);
      for (std::uint32_t tx = 0; tx < fitWidth; ++tx) {
        std::uint64_t* s = &sums[std::size_t{tx} * 4];
        for (std::uint32_t x = xs[tx], x1 = End(xs, tx, src.width); x < x1; ++x) {
          const std::uint8_t* p = row + std::size_t{x} * src.bytesPerPixel;
          const std::uint32_t a = src.alpha ? p[3] : 255;
          s[0] += (p[0] * a + 127) / 255;
          s[1] += (p[1] * a + 127) / 255;
          s[2] += (p[2] * a + 127) / 255;
          s[3] += a;
        }
      }
    }
    std::uint8_t* dst = out.bgra.data() + std::size_t{ty} * fitWidth * 4;
    for (std::uint32_t tx = 0; tx < fitWidth; ++tx) {
      const std::uint64_t n = std::uint64_t{y1 - y0} * (End(xs, tx, src.width) - xs[tx]);
      for (int c = 0; c < 4; ++c) {
        dst[std::size_t{tx} * 4 + c] =
            static_cast<std::uint8_t>((sums[std::size_t{tx} * 4 + c] + n / 2) / n);
      }
    }
  }
  return out;
}

}  // namespace

void FitSize(std::uint32_t width, std::uint32_t height, std::uint32_t boxWidth,
             std::uint32_t boxHeight, std::uint32_t* fitWidth, std::uint32_t* fitHeight) {
  // Width-bound when boxWidth / width <= boxHeight / height.
  const std::uint64_t w = width, h = height;
  if (std::uint64_t{boxWidth} * h <= std::uint64_t{boxHeight} * w) {
    *fitWidth = boxWidth;
    *fitHeight = static_cast<std::uint32_t>((h * boxWidth + w / 2) / w);
  } else {
    *fitHeight = boxHeight;
    *fitWidth = static_cast<std::uint32_t>((w * boxHeight + h / 2) / h);
  }
  if (*fitWidth == 0) *fitWidth = 1;
  if (*fitHeight == 0) *fitHeight = 1;
}

FittedPicture ScaleToFit(ByteSpan file, std::uint32_t boxWidth, std::uint32_t boxHeight) {
  if (boxWidth == 0 || boxHeight == 0) return {};
  return ScaleToSize(file, [&](std::uint32_t width, std::uint32_t height) {
    ScaledSize fit;
    FitSize(width, height, boxWidth, boxHeight, &fit.width, &fit.height);
    return fit;
  });
}

FittedPicture ScaleToSize(ByteSpan file, const SizeRule& rule) {
  if (file.empty()) return {};
  try {
    RowSource rows;
    std::unique_ptr<GpImage> image;
    if (!PlainBmpRows(file, &rows)) {
      PictureOr<std::unique_ptr<GpImage>> created =
          GpImage::Create(std::vector<std::uint8_t>(file.begin(), file.end()));
      if (!created.ok()) return {};
      image = std::move(created).value();
      const PictureOr<const std::uint8_t*> pixels = image->Pixels();
      if (!pixels.ok()) return {};
      rows.width = image->info().width;
      rows.height = image->info().height;
      rows.top = *pixels;
      rows.pitch = static_cast<std::ptrdiff_t>(rows.width) * 4;
      rows.bytesPerPixel = 4;
      rows.alpha = true;
    }
    const ScaledSize size = rule(rows.width, rows.height);
    if (!DimensionsAllowed(size.width, size.height)) return {};
    FittedPicture out = Scale(rows, size.width, size.height);
    out.sourceWidth = rows.width;
    out.sourceHeight = rows.height;
    return out;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace gdiplus
