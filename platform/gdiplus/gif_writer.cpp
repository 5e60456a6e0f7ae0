#include "platform/gdiplus/gif_writer.h"

#include <gif_lib.h>

#include <memory>

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/quantizer.h"

namespace gdiplus {
namespace {

int ToStream(GifFileType* gif, const GifByteType* data, int length) {
  if (length <= 0) return 0;
  auto* out = static_cast<StreamWriter*>(gif->UserData);
  return out->Write(data, static_cast<std::size_t>(length)) ? length : 0;
}

struct MapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapFreer>;

// Closing writes the trailer; an early close (on failure) only frees.
struct EncoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};
using GifEncoder = std::unique_ptr<GifFileType, EncoderCloser>;

ColorMap MakeMap(const IndexedImage& q, int* bits) {
  *bits = 1;
  while ((std::size_t{1} << *bits) < q.palette.size()) ++*bits;
  ColorMap map(GifMakeMapObject(1 << *bits, nullptr));
  if (!map) return nullptr;
  for (int i = 0; i < map->ColorCount; ++i) map->Colors[i] = GifColorType{0, 0, 0};
  for (std::size_t i = 0; i < q.palette.size(); ++i) {
    map->Colors[i] = GifColorType{q.palette[i][0], q.palette[i][1], q.palette[i][2]};
  }
  return map;
}

// Why giflib stopped: the stream refused its bytes, or it could not encode.
PictureError EncodeFailure(const GifFileType* gif) {
  return gif->Error == E_GIF_ERR_WRITE_FAILED ? PictureError::kWriteFailed
                                              : PictureError::kEncodeFailed;
}

bool Encode(GifFileType* gif, const IndexedImage& q, const ImageInfo& info,
            const ColorMapObject* map, int bits) {
  const int w = static_cast<int>(info.width), h = static_cast<int>(info.height);
  if (EGifPutScreenDesc(gif, w, h, bits, 0, map) == GIF_ERROR) return false;
  if (q.transparentIndex >= 0) {
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, q.transparentIndex};
    GifByteType extension[4];
    const std::size_t n = EGifGCBToExtension(&gcb, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), extension) ==
        GIF_ERROR) {
      return false;
    }
  }
  if (EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_ERROR) return false;
  for (int y = 0; y < h; ++y) {
    auto* row = const_cast<GifPixelType*>(q.indices.data() + std::size_t(y) * info.width);
    if (EGifPutLine(gif, row, w) == GIF_ERROR) return false;
  }
  return true;
}

}  // namespace

PictureResult WriteGif(GpImage& image, StreamWriter& out) {
  const PictureOr<const std::uint8_t*> decoded = image.Pixels();
  if (!decoded.ok()) return decoded.error();
  const std::uint8_t* pixels = *decoded;
  const ImageInfo& info = image.info();
  const IndexedImage q = Quantize(pixels, info.width, info.height, info.hasAlpha);
  int bits = 1;
  ColorMap map = MakeMap(q, &bits);
  int error = 0;
  GifEncoder gif(EGifOpen(&out, ToStream, &error));
  if (!map || !gif) return PictureError::kOutOfMemory;
  EGifSetGifVersion(gif.get(), true);
  if (!Encode(gif.get(), q, info, map.get(), bits)) return EncodeFailure(gif.get());
  if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) {
    return error == E_GIF_ERR_WRITE_FAILED ? PictureError::kWriteFailed
                                           : PictureError::kEncodeFailed;
  }
  out.Commit();
  return base::Done{};
}

}  // namespace gdiplus
