#include "platform/gdiplus/gif_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace gdiplus {
namespace {

constexpr std::size_t kPaletteEntries = 256;

struct MemoryInput {
  ByteSpan data;
  std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
  auto* in = static_cast<MemoryInput*>(gif->UserData);
  if (length <= 0) return 0;
  const std::size_t n = std::min(static_cast<std::size_t>(length), in->data.size() - in->position);
  std::memcpy(out, in->data.data() + in->position, n);
  in->position += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// The first frame's placement, after its image descriptor has been read.
struct FirstFrame {
  GifHandle gif;
  MemoryInput input;
  int transparentIndex = NO_TRANSPARENT_COLOR;
  std::uint32_t canvasWidth = 0;
  std::uint32_t canvasHeight = 0;
};

// Why giflib failed, by its error code: the data ran out, the library had
// no memory, or `otherwise`.
PictureError GifFailure(int code, PictureError otherwise) {
  switch (code) {
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_EOF_TOO_SOON: return PictureError::kTruncated;
    case D_GIF_ERR_NOT_ENOUGH_MEM: return PictureError::kOutOfMemory;
    case D_GIF_ERR_NO_COLOR_MAP: return PictureError::kUnsupportedKind;
    default: return otherwise;
  }
}
PictureError GifFailure(const GifFileType* gif, PictureError otherwise) {
  return GifFailure(gif->Error, otherwise);
}

// Skips extensions (noting the transparent colour) up to the first image.
PictureResult SeekFirstImage(GifFileType* gif, int* transparentIndex) {
  const PictureError damaged = PictureError::kDamagedHeader;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return GifFailure(gif, damaged);
    if (type == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif) == GIF_ERROR) return GifFailure(gif, damaged);
      return base::Done{};
    }
    if (type != EXTENSION_RECORD_TYPE) return damaged;  // trailer before any image
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return GifFailure(gif, damaged);
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
      GraphicsControlBlock gcb{};
      if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
        *transparentIndex = gcb.TransparentColor;
      }
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return GifFailure(gif, damaged);
    }
  }
}

PictureResult OpenFirstFrame(ByteSpan data, FirstFrame* frame) {
  frame->input.data = data;
  int error = 0;
  frame->gif.reset(DGifOpen(&frame->input, ReadFromMemory, &error));
  GifFileType* gif = frame->gif.get();
  if (gif == nullptr) return GifFailure(error, PictureError::kDamagedHeader);
  if (PictureResult found = SeekFirstImage(gif, &frame->transparentIndex); !found.ok()) {
    return found;
  }
  const GifImageDesc& d = gif->Image;
  if (d.Width <= 0 || d.Height <= 0 || d.Left < 0 || d.Top < 0) {
    return PictureError::kDamagedHeader;
  }
  if (d.ColorMap == nullptr && gif->SColorMap == nullptr) return PictureError::kUnsupportedKind;
  const std::uint64_t w = std::max<std::uint64_t>(gif->SWidth, std::uint64_t(d.Left) + d.Width);
  const std::uint64_t h = std::max<std::uint64_t>(gif->SHeight, std::uint64_t(d.Top) + d.Height);
  if (PictureResult size = CheckDimensions(w, h); !size.ok()) return size;
  frame->canvasWidth = static_cast<std::uint32_t>(w);
  frame->canvasHeight = static_cast<std::uint32_t>(h);
  return base::Done{};
}

using Palette = std::array<std::array<std::uint8_t, 4>, kPaletteEntries>;

// B G R A for every index; the transparent one (and indices the colour map
// lacks, black) included. `background` also fills the uncovered area.
Palette MakePalette(const GifFileType* gif, int transparentIndex,
                    std::array<std::uint8_t, 4>* background) {
  const ColorMapObject* map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
  Palette p;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    p[i] = {0, 0, 0, 0xFF};
    if (static_cast<int>(i) < map->ColorCount) {
      const GifColorType& c = map->Colors[i];
      p[i] = {c.Blue, c.Green, c.Red, 0xFF};
    }
  }
  *background = {0, 0, 0, 0xFF};
  if (transparentIndex != NO_TRANSPARENT_COLOR) {
    *background = {0, 0, 0, 0};
  } else if (gif->SColorMap != nullptr && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
    const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
    *background = {c.Blue, c.Green, c.Red, 0xFF};
  }
  if (transparentIndex >= 0 && transparentIndex < static_cast<int>(kPaletteEntries)) {
    p[static_cast<std::size_t>(transparentIndex)] = *background;
  }
  return p;
}

// The frame row that the n-th stored line belongs to.
int FrameRow(int n, int height, bool interlaced) {
  if (!interlaced) return n;
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (n < rows) return kStart[pass] + n * kStep[pass];
    n -= rows;
  }
  return -1;
}

}  // namespace

bool GifDecoder::Sniff(ByteSpan data) {
  return data.size() >= 6 && (std::memcmp(data.data(), "GIF87a", 6) == 0 ||
                              std::memcmp(data.data(), "GIF89a", 6) == 0);
}

PictureOr<ImageInfo> GifDecoder::ReadInfo(ByteSpan data) {
  FirstFrame frame;
  if (PictureResult opened = OpenFirstFrame(data, &frame); !opened.ok()) return opened.error();
  return ImageInfo{frame.canvasWidth, frame.canvasHeight,
                   frame.transparentIndex != NO_TRANSPARENT_COLOR};
}

PictureResult GifDecoder::Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target) {
  FirstFrame frame;
  if (PictureResult opened = OpenFirstFrame(data, &frame); !opened.ok()) return opened;
  if (frame.canvasWidth != info.width || frame.canvasHeight != info.height) {
    return PictureError::kDamagedHeader;
  }
  GifFileType* gif = frame.gif.get();
  std::array<std::uint8_t, 4> background{};
  const Palette palette = MakePalette(gif, frame.transparentIndex, &background);
  std::vector<std::uint8_t> row(std::size_t{info.width} * 4);
  for (std::uint32_t x = 0; x < info.width; ++x) std::memcpy(&row[std::size_t{x} * 4], background.data(), 4);
  for (std::uint32_t y = 0; y < info.height; ++y) StoreBgraRow(target, y, row.data(), info.width);

  const GifImageDesc& d = gif->Image;
  std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
  for (int n = 0; n < d.Height; ++n) {
    if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) {
      return GifFailure(gif, PictureError::kDamagedData);
    }
    const int y = d.Top + FrameRow(n, d.Height, d.Interlace);
    for (int x = 0; x < d.Width; ++x) {
      std::memcpy(&row[std::size_t(d.Left + x) * 4], palette[line[std::size_t(x)]].data(), 4);
    }
    // Only the frame's span changes; the rest of `row` still holds background.
    PixelTarget span = target;
    span.top += static_cast<std::ptrdiff_t>(d.Left) * target.bytesPerPixel;
    StoreBgraRow(span, static_cast<std::uint32_t>(y), &row[std::size_t(d.Left) * 4],
                 static_cast<std::uint32_t>(d.Width));
  }
  return base::Done{};
}

}  // namespace gdiplus
