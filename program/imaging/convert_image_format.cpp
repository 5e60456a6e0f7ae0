#include "program/imaging/convert_image_format.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "base/files.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/kernel32/kernel32.h"
#include "platform/ole32/ole32.h"
#include "program/routines/dll_functions.h"

namespace pixaroo {
namespace {

// The stream frees its block when released for the last time.
constexpr kernel32::BOOL kDeleteOnRelease = 1;

// Class identifiers of the built-in encoders, by format number 1 to 5.
constexpr const char* kEncoderClassIds[] = {
    "{557CF400-1A04-11D3-9A73-0000F81EF32E}",  // BMP
    "{557CF401-1A04-11D3-9A73-0000F81EF32E}",  // JPEG
    "{557CF402-1A04-11D3-9A73-0000F81EF32E}",  // GIF
    "{557CF405-1A04-11D3-9A73-0000F81EF32E}",  // TIFF
    "{557CF406-1A04-11D3-9A73-0000F81EF32E}",  // PNG
};

base::Text EncoderClassIdText(std::int32_t format) {
  if (format < kFormatBmp || format > kFormatPng) return base::Text();
  return kEncoderClassIds[format - kFormatBmp];
}

// Pieces a result is copied back in: small beside a photo's BMP (6.5 MB
// for 1200 x 1800), so that handing it over costs about one piece more
// than the BMP itself.
constexpr kernel32::SIZE_T kCopyChunk = kernel32::SIZE_T{1} << 20;

// The first `m` bytes of `stream`'s block as a byte set; nothing (and the
// stream cut short) when memory runs out. Beyond kCopyChunk the bytes are
// copied back from the end, piece by piece, the stream shrinking behind
// each: a BMP is held about once, not twice, while it changes hands.
std::optional<base::Bytes> CopyOut(ole32::IStream* stream, kernel32::HGLOBAL block,
                                   kernel32::SIZE_T m) {
  try {
    std::vector<base::Bytes> tail;  // the last piece first
    kernel32::SIZE_T end = m;
    while (end > kCopyChunk) {
      const kernel32::SIZE_T start = end - kCopyChunk;
      const auto* bytes = static_cast<const std::uint8_t*>(dll::GlobalLock(block));
      if (bytes == nullptr) return std::nullopt;
      tail.emplace_back(bytes + start, bytes + end);
      dll::GlobalUnlock(block);
      stream->SetSize(start);
      end = start;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(dll::GlobalLock(block));
    if (bytes == nullptr) return std::nullopt;
    base::Bytes file;
    file.reserve(m);
    file.assign(bytes, bytes + end);
    dll::GlobalUnlock(block);
    stream->SetSize(0);
    for (auto piece = tail.rbegin(); piece != tail.rend(); ++piece) {
      file.insert(file.end(), piece->begin(), piece->end());
      base::Bytes().swap(*piece);
    }
    return file;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// Moves the m encoded bytes of `stream` into `converted` and, when
// `savePath` is not blank, writes them to that file. False (and `converted`
// untouched) when there is nothing to take.
bool TakeEncoded(ole32::IStream* stream, kernel32::HGLOBAL block, kernel32::SIZE_T m,
                 const base::Text& savePath, base::Bytes& converted) {
  if (stream == nullptr || block == nullptr || m == 0) return false;
  std::optional<base::Bytes> file = CopyOut(stream, block, m);
  if (!file) return false;
  converted = std::move(*file);
  // The conversion's result is the bytes; a copy that could not be written
  // leaves the file as it was, and the caller has the bytes either way.
  if (!base::TrimSpaces(savePath).empty()) (void)base::WriteFileAtomic(savePath, converted);
  return true;
}

// The turns of kConversionsAtOnce conversions at a time.
class ConversionSlots {
 public:
  static ConversionSlots& Instance() {
    static ConversionSlots slots(kConversionsAtOnce);
    return slots;
  }
  void Acquire() {
    std::unique_lock lock(mutex_);
    ++waiting_;
    freed_.wait(lock, [&] { return free_ > 0; });
    --waiting_;
    --free_;
  }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      ++free_;
    }
    freed_.notify_one();
  }
  int Waiting() {
    std::lock_guard lock(mutex_);
    return waiting_;
  }

 private:
  explicit ConversionSlots(unsigned count) : free_(count) {}
  std::mutex mutex_;
  std::condition_variable freed_;
  unsigned free_;
  int waiting_ = 0;
};

struct ConversionSlot {
  ConversionSlot() { ConversionSlots::Instance().Acquire(); }
  ~ConversionSlot() { ConversionSlots::Instance().Release(); }
  ConversionSlot(const ConversionSlot&) = delete;
  ConversionSlot& operator=(const ConversionSlot&) = delete;
};

// The conversion itself, once its slot is taken.
bool Convert(const base::Bytes& picture, std::int32_t format, const base::Text& savePath,
             base::Bytes& converted) {
  // Start GDI+: version 1, no debug callback, background thread and external
  // codecs allowed, no output record.
  gdiplus::ULONG_PTR token = 0;
  const gdiplus::GdiplusStartupInput startupInput;
  dll::GdiplusStartup(&token, &startupInput, nullptr);

  // The encoder's class identifier, from its text.
  ole32::CLSID encoderClsid{};
  {
    const base::Bytes wide = AnsiToWide(EncoderClassIdText(format));
    dll::CLSIDFromString(
        wide.empty() ? nullptr : reinterpret_cast<const ole32::WCHAR*>(wide.data()), &encoderClsid);
  }

  // The source block; the first stream owns it from its creation on.
  const kernel32::SIZE_T n = picture.size();
  kernel32::HGLOBAL sourceBlock = dll::GlobalAlloc(kernel32::GMEM_FIXED, n);
  ole32::IStream* sourceStream = nullptr;
  dll::CreateStreamOnHGlobal(sourceBlock, kDeleteOnRelease, &sourceStream);
  if (sourceStream == nullptr) sourceBlock = dll::GlobalFree(sourceBlock);

  void* sourceAddress = dll::GlobalLock(sourceBlock);
  if (sourceAddress != nullptr) dll::RtlMoveMemory(sourceAddress, picture.data(), n);
  dll::GlobalUnlock(sourceBlock);

  // Decode.
  gdiplus::GpBitmap* bitmap = nullptr;
  dll::GdipCreateBitmapFromStream(sourceStream, &bitmap);

  // Encode into a second stream with a growing block of its own.
  ole32::IStream* encodedStream = nullptr;
  dll::CreateStreamOnHGlobal(nullptr, kDeleteOnRelease, &encodedStream);
  dll::GdipSaveImageToStream(bitmap, encodedStream, &encoderClsid, nullptr);

  // Read the result back. The block can be larger than what the encoder
  // wrote; only the stream's own size is the file.
  kernel32::HGLOBAL encodedBlock = nullptr;
  dll::GetHGlobalFromStream(encodedStream, &encodedBlock);
  kernel32::SIZE_T m = dll::GlobalSize(encodedBlock);
  ole32::STATSTG stat;
  if (encodedStream != nullptr &&
      ole32::SUCCEEDED(encodedStream->Stat(&stat, ole32::STATFLAG_NONAME)) && stat.cbSize < m) {
    m = static_cast<kernel32::SIZE_T>(stat.cbSize);
  }
  const bool result = TakeEncoded(encodedStream, encodedBlock, m, savePath, converted);

  // Clean up: the bitmap, GDI+, then both streams (each frees its block).
  dll::GdipDisposeImage(bitmap);
  dll::GdiplusShutdown(token);
  if (sourceStream != nullptr) sourceStream->Release();
  if (encodedStream != nullptr) encodedStream->Release();
  return result;
}

}  // namespace

bool ConvertImageFormat(const base::Bytes& picture, std::int32_t format, const base::Text& savePath,
                        base::Bytes& converted) {
  const ConversionSlot slot;
  return Convert(picture, format, savePath, converted);
}

bool ConvertImageFormatIfWanted(const base::Bytes& picture, std::int32_t format,
                                base::Bytes& converted, const std::function<bool()>& wanted) {
  const ConversionSlot slot;
  if (!wanted()) return false;
  return Convert(picture, format, base::Text(), converted);
}

int ConversionsWaiting() { return ConversionSlots::Instance().Waiting(); }

base::Bytes AnsiToWide(const base::Text& text) {
  if (text.empty()) return base::Bytes();
  // The terminating NUL is converted too, so the count includes it.
  const int n = base::Len(text);
  const int units = dll::MultiByteToWideChar(kernel32::CP_ACP, 0, text.c_str(), n + 1, nullptr, 0);
  base::Bytes wide = base::ZeroBytes(2 * units);
  if (units > 0) {
    dll::MultiByteToWideChar(kernel32::CP_ACP, 0, text.c_str(), n + 1,
                             reinterpret_cast<kernel32::WCHAR*>(wide.data()), units);
  }
  return wide;
}

}  // namespace pixaroo
