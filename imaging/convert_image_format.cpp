#include "imaging/convert_image_format.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "app/dll_commands.h"
#include "base/files.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/kernel32/kernel32.h"
#include "platform/ole32/ole32.h"

namespace pixaroo {
namespace {

// The GDI+, OLE and kernel32 calls of the conversion, through the program's
// DLL command table, each typed as its layer declares it.
namespace dll {
PIXAROO_DLL_COMMAND(gdiplus, GdiplusStartup, GdiplusStartup)
PIXAROO_DLL_COMMAND(gdiplus, GdiplusShutdown, GdiplusShutdown)
PIXAROO_DLL_COMMAND(gdiplus, GdipCreateBitmapFromStream, GdipCreateBitmapFromStream)
PIXAROO_DLL_COMMAND(gdiplus, GdipSaveImageToStream, GdipSaveImageToStream)
PIXAROO_DLL_COMMAND(gdiplus, GdipDisposeImage, GdipDisposeImage)
PIXAROO_DLL_COMMAND(ole32, CLSIDFromString, CLSIDFromString)
PIXAROO_DLL_COMMAND(ole32, CreateStreamOnHGlobal, CreateStreamOnHGlobal)
PIXAROO_DLL_COMMAND(ole32, GetHGlobalFromStream, GetHGlobalFromStream)
PIXAROO_DLL_COMMAND(kernel32, GlobalAlloc, GlobalAlloc)
PIXAROO_DLL_COMMAND(kernel32, GlobalLock, GlobalLock)
PIXAROO_DLL_COMMAND(kernel32, GlobalUnlock, GlobalUnlock)
PIXAROO_DLL_COMMAND(kernel32, GlobalSize, GlobalSize)
PIXAROO_DLL_COMMAND(kernel32, GlobalFree, GlobalFree)
PIXAROO_DLL_COMMAND(kernel32, RtlMoveMemory, RtlMoveMemory)
PIXAROO_DLL_COMMAND(kernel32, MultiByteToWideChar, MultiByteToWideChar)
}  // namespace dll

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

// Copies the m encoded bytes at `address` into `converted` and, when
// `savePath` is not blank, into that file. False (and `converted` untouched)
// when there is nothing to copy.
bool TakeEncoded(const void* address, kernel32::SIZE_T m, const base::Text& savePath,
                 base::Bytes& converted) {
  if (address == nullptr || m == 0) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(address);
  try {
    // Copied straight in, reusing the caller's buffer when it is large
    // enough; assign leaves `converted` as it was if it cannot allocate.
    // For a large BMP this one copy is nearly all the conversion costs
    // beyond the decode itself (bench/imaging: BM_JpegDecodeAndCopy).
    converted.assign(bytes, bytes + m);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!base::TrimSpaces(savePath).empty()) base::WriteFileAtomic(savePath, converted);
  return true;
}

// Conversions running at once are at most as many as the machine has
// cores: each holds a full-size picture, and more at a time would only
// share the cores and add their memory up.
class ConversionSlots {
 public:
  static ConversionSlots& Instance() {
    static ConversionSlots slots(std::max(1u, std::thread::hardware_concurrency()));
    return slots;
  }
  void Acquire() {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return free_ > 0; });
    --free_;
  }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      ++free_;
    }
    freed_.notify_one();
  }

 private:
  explicit ConversionSlots(unsigned count) : free_(count) {}
  std::mutex mutex_;
  std::condition_variable freed_;
  unsigned free_;
};

struct ConversionSlot {
  ConversionSlot() { ConversionSlots::Instance().Acquire(); }
  ~ConversionSlot() { ConversionSlots::Instance().Release(); }
  ConversionSlot(const ConversionSlot&) = delete;
  ConversionSlot& operator=(const ConversionSlot&) = delete;
};

}  // namespace

bool ConvertImageFormat(const base::Bytes& picture, std::int32_t format, const base::Text& savePath,
                        base::Bytes& converted) {
  const ConversionSlot slot;
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
  void* encodedAddress = dll::GlobalLock(encodedBlock);
  kernel32::SIZE_T m = dll::GlobalSize(encodedBlock);
  ole32::STATSTG stat;
  if (encodedStream != nullptr &&
      ole32::SUCCEEDED(encodedStream->Stat(&stat, ole32::STATFLAG_NONAME)) && stat.cbSize < m) {
    m = static_cast<kernel32::SIZE_T>(stat.cbSize);
  }
  const bool result = TakeEncoded(encodedAddress, m, savePath, converted);
  dll::GlobalUnlock(encodedBlock);

  // Clean up: the bitmap, GDI+, then both streams (each frees its block).
  dll::GdipDisposeImage(bitmap);
  dll::GdiplusShutdown(token);
  if (sourceStream != nullptr) sourceStream->Release();
  if (encodedStream != nullptr) encodedStream->Release();
  return result;
}

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
