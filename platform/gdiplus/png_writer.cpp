#include "platform/gdiplus/png_writer.h"

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/png_session.h"

namespace gdiplus {
namespace {

bool ToStream(void* context, const std::uint8_t* data, std::size_t size) {
  return static_cast<StreamWriter*>(context)->Write(data, size);
}

}  // namespace

PictureResult WritePng(GpImage& image, StreamWriter& out) {
  const PictureOr<const std::uint8_t*> pixels = image.Pixels();
  if (!pixels.ok()) return pixels.error();
  const ImageInfo& info = image.info();
  PictureResult written =
      PngWriteImage(*pixels, info.width, info.height, info.hasAlpha, ToStream, &out);
  if (!written.ok()) return written;
  out.Commit();
  return written;
}

}  // namespace gdiplus
