#include "imaging/convert_image_format.h"

#include <new>

#include "platform/gdiplus/gdiplus.h"
#include "platform/kernel32/kernel32.h"
#include "platform/ole32/ole32.h"
#include "runtime/text/files.h"

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

korvex::Text EncoderClassIdText(std::int32_t format) {
  if (format < kFormatBmp || format > kFormatPng) return korvex::Text();
  return kEncoderClassIds[format - kFormatBmp];
}

// Copies the m encoded bytes at `address` into `converted` and, when
// `savePath` is not blank, into that file. False (and `converted` untouched)
// when there is nothing to copy.
bool TakeEncoded(const void* address, kernel32::SIZE_T m, const korvex::Text& savePath,
                 korvex::Bytes& converted) {
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
  if (!korvex::TrimSpaces(savePath).empty()) korvex::WriteFileAtomic(savePath, converted);
  return true;
}

}  // namespace

bool ConvertImageFormat(const korvex::Bytes& picture, std::int32_t format,
                        const korvex::Text& savePath, korvex::Bytes& converted) {
  // Start GDI+: version 1, no debug callback, background thread and external
  // codecs allowed, no output record.
  gdiplus::ULONG_PTR token = 0;
  const gdiplus::GdiplusStartupInput startupInput;
  gdiplus::GdiplusStartup(&token, &startupInput, nullptr);

  // The encoder's class identifier, from its text.
  ole32::CLSID encoderClsid{};
  {
    const korvex::Bytes wide = AnsiToWide(EncoderClassIdText(format));
    ole32::CLSIDFromString(
        wide.empty() ? nullptr : reinterpret_cast<const ole32::WCHAR*>(wide.data()),
        &encoderClsid);
  }

  // The source block; the first stream owns it from its creation on.
  const kernel32::SIZE_T n = picture.size();
  kernel32::HGLOBAL sourceBlock = kernel32::GlobalAlloc(kernel32::GMEM_FIXED, n);
  ole32::IStream* sourceStream = nullptr;
  ole32::CreateStreamOnHGlobal(sourceBlock, kDeleteOnRelease, &sourceStream);
  if (sourceStream == nullptr) sourceBlock = kernel32::GlobalFree(sourceBlock);

  void* sourceAddress = kernel32::GlobalLock(sourceBlock);
  if (sourceAddress != nullptr) kernel32::RtlMoveMemory(sourceAddress, picture.data(), n);
  kernel32::GlobalUnlock(sourceBlock);

  // Decode.
  gdiplus::GpBitmap* bitmap = nullptr;
  gdiplus::GdipCreateBitmapFromStream(sourceStream, &bitmap);

  // Encode into a second stream with a growing block of its own.
  ole32::IStream* encodedStream = nullptr;
  ole32::CreateStreamOnHGlobal(nullptr, kDeleteOnRelease, &encodedStream);
  gdiplus::GdipSaveImageToStream(bitmap, encodedStream, &encoderClsid, nullptr);

  // Read the result back. The block can be larger than what the encoder
  // wrote; only the stream's own size is the file.
  kernel32::HGLOBAL encodedBlock = nullptr;
  ole32::GetHGlobalFromStream(encodedStream, &encodedBlock);
  void* encodedAddress = kernel32::GlobalLock(encodedBlock);
  kernel32::SIZE_T m = kernel32::GlobalSize(encodedBlock);
  ole32::STATSTG stat;
  if (encodedStream != nullptr &&
      ole32::SUCCEEDED(encodedStream->Stat(&stat, ole32::STATFLAG_NONAME)) && stat.cbSize < m) {
    m = static_cast<kernel32::SIZE_T>(stat.cbSize);
  }
  const bool result = TakeEncoded(encodedAddress, m, savePath, converted);
  kernel32::GlobalUnlock(encodedBlock);

  // Clean up: the bitmap, GDI+, then both streams (each frees its block).
  gdiplus::GdipDisposeImage(bitmap);
  gdiplus::GdiplusShutdown(token);
  if (sourceStream != nullptr) sourceStream->Release();
  if (encodedStream != nullptr) encodedStream->Release();
  return result;
}

korvex::Bytes AnsiToWide(const korvex::Text& text) {
  if (text.empty()) return korvex::Bytes();
  // The terminating NUL is converted too, so the count includes it.
  const int n = korvex::Len(text);
  const int units =
      kernel32::MultiByteToWideChar(kernel32::CP_ACP, 0, text.c_str(), n + 1, nullptr, 0);
  korvex::Bytes wide = korvex::ZeroBytes(2 * units);
  if (units > 0) {
    kernel32::MultiByteToWideChar(kernel32::CP_ACP, 0, text.c_str(), n + 1,
                                  reinterpret_cast<kernel32::WCHAR*>(wide.data()), units);
  }
  return wide;
}

}  // namespace pixaroo
