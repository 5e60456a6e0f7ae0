#include "platform/gdiplus/image.h"

#include <new>

namespace gdiplus {

std::unique_ptr<GpImage> GpImage::Create(std::vector<std::uint8_t> source) {
  const Decoder* decoder = FindDecoder(source);
  ImageInfo info;
  if (decoder == nullptr || !decoder->readInfo(source, &info)) return nullptr;
  return std::unique_ptr<GpImage>(new GpImage(std::move(source), decoder, info));
}

GpImage::GpImage(std::vector<std::uint8_t> source, const Decoder* decoder, const ImageInfo& info)
    : source_(std::move(source)), decoder_(decoder), info_(info) {}

void GpImage::HoldPixels() {
  if (lease_.pixels() == 0) lease_ = PixelLease(std::uint64_t{info_.width} * info_.height);
}

bool GpImage::DecodeInto(const PixelTarget& target) {
  if (failed_) return false;
  HoldPixels();
  if (pixels_.empty()) {
    if (!decoder_->decode(source_, info_, target)) failed_ = true;
    return !failed_;
  }
  const std::size_t stride = std::size_t{info_.width} * 4;
  for (std::uint32_t y = 0; y < info_.height; ++y) {
    StoreBgraRow(target, y, pixels_.data() + y * stride, info_.width);
  }
  return true;
}

const std::uint8_t* GpImage::Pixels() {
  if (failed_) return nullptr;
  if (pixels_.empty()) {
    HoldPixels();
    const std::size_t stride = std::size_t{info_.width} * 4;
    std::vector<std::uint8_t> pixels(stride * info_.height);
    const PixelTarget target{pixels.data(), static_cast<std::ptrdiff_t>(stride), 4};
    if (!decoder_->decode(source_, info_, target)) {
      failed_ = true;
      return nullptr;
    }
    pixels_ = std::move(pixels);
  }
  return pixels_.data();
}

}  // namespace gdiplus
