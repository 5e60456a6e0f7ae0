#include "platform/gdiplus/jpeg_writer.h"

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/turbojpeg_handle.h"

namespace gdiplus {
namespace {

constexpr int kDefaultQuality = 75;
constexpr int kDefaultSubsampling = TJSAMP_420;

}  // namespace

PictureResult WriteJpeg(GpImage& image, StreamWriter& out) {
  const PictureOr<const std::uint8_t*> pixels = image.Pixels();
  if (!pixels.ok()) return pixels.error();
  TjHandle h(tjInitCompress());
  if (!h) return PictureError::kOutOfMemory;
  const ImageInfo& info = image.info();
  unsigned char* raw = nullptr;
  unsigned long size = 0;
  const int r = tjCompress2(h.get(), *pixels, static_cast<int>(info.width),
                            static_cast<int>(info.width * 4), static_cast<int>(info.height),
                            TJPF_BGRX, &raw, &size, kDefaultSubsampling, kDefaultQuality, 0);
  TjBuffer jpeg(raw);
  if (r != 0) return PictureError::kEncodeFailed;
  if (!out.Write(jpeg.get(), size)) return PictureError::kWriteFailed;
  out.Commit();
  return base::Done{};
}

}  // namespace gdiplus
