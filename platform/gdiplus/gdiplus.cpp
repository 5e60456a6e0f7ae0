#include "platform/gdiplus/gdiplus.h"

#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

#include "platform/gdiplus/encoders.h"
#include "platform/gdiplus/image.h"

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

// The stream's bytes from its start; false when it cannot be read whole.
bool ReadWholeStream(IStream* stream, std::vector<std::uint8_t>* out) {
  ole32::STATSTG stat;
  if (ole32::FAILED(stream->Stat(&stat, ole32::STATFLAG_NONAME)) ||
      stat.cbSize > kMaxSourceBytes ||
      ole32::FAILED(stream->Seek(0, ole32::STREAM_SEEK_SET, nullptr))) {
    return false;
  }
  out->resize(static_cast<std::size_t>(stat.cbSize));
  ole32::ULONG read = 0;
  return ole32::SUCCEEDED(stream->Read(out->data(), static_cast<ole32::ULONG>(out->size()), &read)) &&
         read == out->size();
}

Status CreateBitmap(IStream* stream, GpBitmap** bitmap) {
  std::vector<std::uint8_t> source;
  if (!ReadWholeStream(stream, &source)) return InvalidParameter;
  std::unique_ptr<GpImage> image = GpImage::Create(std::move(source));
  if (!image) return InvalidParameter;
  *bitmap = image.release();
  return Ok;
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
    return OutOfMemory;
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
    image->HoldPixels();  // before the encoder makes anything full-size
    StreamWriter out(stream);
    if (!out.ok()) return Win32Error;
    return encoder->encode(*image, out);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

Status GdipDisposeImage(GpImage* image) {
  if (image == nullptr) return InvalidParameter;
  delete image;
  return Ok;
}

}  // namespace gdiplus
