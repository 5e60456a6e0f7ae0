#include "platform/gdiplus/jpeg_writer.h"

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/turbojpeg_handle.h"

namespace gdiplus {
namespace {

constexpr int kDefaultQuality = 75;
constexpr int kDefaultSubsampling = TJSAMP_420;

}  // namespace

Status WriteJpeg(GpImage& image, StreamWriter& out) {
  const std::uint8_t* pixels = image.Pixels();
  if (pixels == nullptr) return GenericError;
  TjHandle h(tjInitCompress());
  if (!h) return OutOfMemory;
  const ImageInfo& info = image.info();
  unsigned char* raw = nullptr;
  unsigned long size = 0;
  const int r = tjCompress2(h.get(), pixels, static_cast<int>(info.width),
                            static_cast<int>(info.width * 4), static_cast<int>(info.height),
                            TJPF_BGRX, &raw, &size, kDefaultSubsampling, kDefaultQuality, 0);
  TjBuffer jpeg(raw);
  if (r != 0) return GenericError;
  if (!out.Write(jpeg.get(), size)) return Win32Error;
  out.Commit();
  return Ok;
}

}  // namespace gdiplus
