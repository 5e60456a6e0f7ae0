// Feeds arbitrary bytes to the conversion. Every input is converted to BMP;
// pictures small enough to keep the run fast also go through the other four
// encoders. Whatever happens, a failure must leave the output untouched and
// a success must give a whole file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "program/imaging/convert_image_format.h"
#include "platform/gdiplus/image.h"

namespace {

// Larger pictures only go to BMP (the slower encoders would time out).
constexpr std::uint64_t kMaxPixelsForEveryFormat = std::uint64_t{256} * 256;

bool SmallPicture(const std::uint8_t* data, std::size_t size) {
  const auto image = gdiplus::GpImage::Create(std::vector<std::uint8_t>(data, data + size));
  return image.ok() && std::uint64_t{(*image)->info().width} * (*image)->info().height <=
                           kMaxPixelsForEveryFormat;
}

void Check(bool ok, const base::Bytes& out, const base::Bytes& before) {
  if (!ok && out != before) std::abort();
  if (ok && out.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const base::Bytes picture(data, data + size);
  const base::Bytes before{0x5A};
  base::Bytes out = before;
  const bool ok = pixaroo::ConvertImageFormat(picture, pixaroo::kFormatBmp, out);
  Check(ok, out, before);
  if (ok && (out.size() < 54 || out[0] != 'B' || out[1] != 'M')) std::abort();
  if (!ok || !SmallPicture(data, size)) return 0;
  for (std::int32_t format = pixaroo::kFormatJpeg; format <= pixaroo::kFormatPng; ++format) {
    base::Bytes other = before;
    Check(pixaroo::ConvertImageFormat(picture, format, other), other, before);
  }
  return 0;
}
