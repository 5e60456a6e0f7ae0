#include "platform/gdiplus/image.h"

#include <new>

namespace gdiplus {
namespace {

// The stream's bytes from its start.
PictureOr<std::vector<std::uint8_t>> ReadWholeStream(IStream* stream) {
  ole32::STATSTG stat;
  if (ole32::FAILED(stream->Stat(&stat, ole32::STATFLAG_NONAME)) || stat.cbSize > kMaxSourceBytes ||
      ole32::FAILED(stream->Seek(0, ole32::STREAM_SEEK_SET, nullptr))) {
    return PictureError::kUnreadableSource;
  }
  std::vector<std::uint8_t> out(static_cast<std::size_t>(stat.cbSize));
  ole32::ULONG read = 0;
  if (ole32::FAILED(stream->Read(out.data(), static_cast<ole32::ULONG>(out.size()), &read)) ||
      read != out.size()) {
    return PictureError::kUnreadableSource;
  }
  return out;
}

}  // namespace

PictureOr<std::unique_ptr<GpImage>> GpImage::Over(std::shared_ptr<const void> holder,
                                                  ByteSpan source) {
  const Decoder* decoder = FindDecoder(source);
  if (decoder == nullptr) return PictureError::kUnknownFormat;
  const PictureOr<ImageInfo> info = decoder->readInfo(source);
  if (!info.ok()) return info.error();
  return std::unique_ptr<GpImage>(new GpImage(std::move(holder), source, decoder, *info));
}

PictureOr<std::unique_ptr<GpImage>> GpImage::Create(std::vector<std::uint8_t> source) {
  auto copy = std::make_shared<const std::vector<std::uint8_t>>(std::move(source));
  const ByteSpan bytes(*copy);
  return Over(std::move(copy), bytes);
}

PictureOr<std::unique_ptr<GpImage>> GpImage::FromStream(IStream* stream) {
  // A stream over the program's own block (a photo's file, megabytes for a
  // BMP or TIFF photo) is read where it is rather than copied.
  if (std::shared_ptr<const ole32::FrozenBytes> frozen = ole32::FreezeStreamBytes(stream)) {
    if (frozen->size > kMaxSourceBytes) return PictureError::kUnreadableSource;
    const ByteSpan bytes(frozen->data, frozen->size);
    return Over(std::move(frozen), bytes);
  }
  PictureOr<std::vector<std::uint8_t>> source = ReadWholeStream(stream);
  if (!source.ok()) return source.error();
  return Create(std::move(source).value());
}

GpImage::GpImage(std::shared_ptr<const void> holder, ByteSpan source, const Decoder* decoder,
                 const ImageInfo& info)
    : holder_(std::move(holder)), source_(source), decoder_(decoder), info_(info) {}

void GpImage::HoldPixels() {
  if (lease_.pixels() == 0) lease_ = PixelLease(std::uint64_t{info_.width} * info_.height);
}

PictureResult GpImage::DecodeInto(const PixelTarget& target) {
  if (failed_) return *failed_;
  HoldPixels();
  if (pixels_.empty()) {
    PictureResult decoded = decoder_->decode(source_, info_, target);
    if (!decoded.ok()) failed_ = decoded.error();
    return decoded;
  }
  const std::size_t stride = std::size_t{info_.width} * 4;
  for (std::uint32_t y = 0; y < info_.height; ++y) {
    StoreBgraRow(target, y, pixels_.data() + y * stride, info_.width);
  }
  return base::Done{};
}

PictureOr<const std::uint8_t*> GpImage::Pixels() {
  if (failed_) return *failed_;
  if (pixels_.empty()) {
    HoldPixels();
    const std::size_t stride = std::size_t{info_.width} * 4;
    std::vector<std::uint8_t> pixels(stride * info_.height);
    const PixelTarget target{pixels.data(), static_cast<std::ptrdiff_t>(stride), 4};
    PictureResult decoded = decoder_->decode(source_, info_, target);
    if (!decoded.ok()) {
      failed_ = decoded.error();
      return decoded.error();
    }
    pixels_ = std::move(pixels);
  }
  return static_cast<const std::uint8_t*>(pixels_.data());
}

}  // namespace gdiplus
