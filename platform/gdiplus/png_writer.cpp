#include "platform/gdiplus/png_writer.h"

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/png_session.h"

namespace gdiplus {
namespace {

bool ToStream(void* context, const std::uint8_t* data, std::size_t size) {
  return static_cast<StreamWriter*>(context)->Write(data, size);
}

}  // namespace

Status WritePng(GpImage& image, StreamWriter& out) {
  const std::uint8_t* pixels = image.Pixels();
  if (pixels == nullptr) return GenericError;
  const ImageInfo& info = image.info();
  if (!PngWriteImage(pixels, info.width, info.height, info.hasAlpha, ToStream, &out)) {
    return GenericError;
  }
  out.Commit();
  return Ok;
}

}  // namespace gdiplus
