// The flat image API's types and limits, shared by the API (gdiplus.h)
// and the codecs behind it: the status codes (status.h), the COM types a caller passes
// in, and the bounds on a decoded picture.
#pragma once

#include <cstdint>

#include "platform/gdiplus/status.h"
#include "platform/ole32/ole32.h"
#include "platform/win32/types.h"

namespace gdiplus {

using win32::UINT32;
using win32::ULONG;
using win32::ULONG_PTR;

using ole32::BOOL;
using ole32::CLSID;
using ole32::GUID;
using ole32::IStream;

using GpStatus = Status;

// Limits on decoded pictures: a side of at most kMaxImageSide and at most
// kMaxImagePixels in all (64 megapixels, 8192 × 8192: a phone's largest
// photos). Their 32-bit pixels take at most kMaxImagePixelBytes.
inline constexpr std::uint32_t kMaxImageSide = 16384;
inline constexpr std::uint64_t kMaxImagePixels = std::uint64_t{8192} * 8192;
inline constexpr std::uint64_t kMaxImagePixelBytes = kMaxImagePixels * 4;
// Largest source file read from a stream.
inline constexpr std::uint64_t kMaxSourceBytes = std::uint64_t{1} << 29;

}  // namespace gdiplus
