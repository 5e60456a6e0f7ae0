#include "platform/gdiplus/gdiplus.h"

#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

#include "platform/gdiplus/encoders.h"
#include "platform/gdiplus/image.h"
#include "platform/gdiplus/picture_status.h"

namespace gdiplus {
namespace {

constexpr UINT32 kSupportedVersion = 1;

// Start-ups not yet shut down, by token.
class StartupRegistry {
 public:
  ULONG_PTR Add() {
    std::lock_guard lock(mutex_);
    const ULONG_PTR token = ++lastToken_;
    live_.insert(token);
    return token;
  }
  void Remove(ULONG_PTR token) {
    std::lock_guard lock(mutex_);
    live_.erase(token);
  }
  bool Started() {
    std::lock_guard lock(mutex_);
    return !live_.empty();
  }

 private:
  std::mutex mutex_;
  ULONG_PTR lastToken_ = 0;
  std::unordered_set<ULONG_PTR> live_;
};

StartupRegistry& Registry() {
  static StartupRegistry registry;
  return registry;
}

// The picture codecs say why they failed (picture_error.h); the flat API
// says it as the Status its callers know (picture_status.h).
Status CreateBitmap(IStream* stream, GpBitmap** bitmap) {
  PictureOr<std::unique_ptr<GpImage>> image = GpImage::FromStream(stream);
  if (!image.ok()) return StatusOf(image.error(), PictureStep::kOpening);
  *bitmap = std::move(image).value().release();
  return Ok;
}

Status SaveImage(GpImage& image, IStream* stream, const Encoder& encoder) {
  image.HoldPixels();  // before the encoder makes anything full-size
  StreamWriter out(stream);
  if (!out.ok()) return StatusOf(PictureError::kWriteFailed, PictureStep::kSaving);
  const PictureResult saved = encoder.encode(image, out);
  return saved.ok() ? Ok : StatusOf(saved.error(), PictureStep::kSaving);
}

}  // namespace

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                      GdiplusStartupOutput* output) {
  if (token == nullptr || input == nullptr) return InvalidParameter;
  *token = 0;
  if (input->GdiplusVersion != kSupportedVersion) return UnsupportedGdiplusVersion;
  if (output != nullptr) return NotImplemented;
  try {
    *token = Registry().Add();
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) { Registry().Remove(token); }

Status GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
  if (bitmap == nullptr) return InvalidParameter;
  *bitmap = nullptr;
  if (stream == nullptr) return InvalidParameter;
  if (!Registry().Started()) return GdiplusNotInitialized;
  try {
    return CreateBitmap(stream, bitmap);
  } catch (const std::bad_alloc&) {
    return StatusOf(PictureError::kOutOfMemory, PictureStep::kOpening);
  }
}

Status GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* clsidEncoder,
                             const EncoderParameters* params) {
  if (image == nullptr || stream == nullptr || clsidEncoder == nullptr) return InvalidParameter;
  if (params != nullptr && params->Count != 0) return NotImplemented;
  if (!Registry().Started()) return GdiplusNotInitialized;
  const Encoder* encoder = FindEncoder(*clsidEncoder);
  if (encoder == nullptr) return FileNotFound;
  try {
    return SaveImage(*image, stream, *encoder);
  } catch (const std::bad_alloc&) {
    return StatusOf(PictureError::kOutOfMemory, PictureStep::kSaving);
  }
}

Status GdipDisposeImage(GpImage* image) {
  if (image == nullptr) return InvalidParameter;
  delete image;
  return Ok;
}

}  // namespace gdiplus
