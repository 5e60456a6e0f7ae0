// Image format conversion: re-encodes the bytes of an image file (JPEG, PNG,
// GIF, BMP or TIFF) as BMP, JPEG, GIF, TIFF or PNG, in memory, through the
// GDI+ and OLE memory-stream layer; optionally also writes the result to a
// file. AnsiToWide turns a system-code-page text into UTF-16.
//
// The routines keep no state between calls and may be called from any
// thread, also at the same time. Conversions running at once are at most as
// many as the machine has cores, whoever calls them: one beyond that waits
// for one to finish. Whatever the core count, the pictures they decode hold
// at most the GDI+ layer's pixel budget together (64 megapixels, shared
// with the view's own decodes): a conversion beyond it waits in the layer.
#pragma once

#include <cstdint>
#include <functional>

#include "base/bytes.h"
#include "base/text_ops.h"

namespace pixaroo {

// Target format numbers of ConvertImageFormat.
inline constexpr std::int32_t kFormatBmp = 1;
inline constexpr std::int32_t kFormatJpeg = 2;
inline constexpr std::int32_t kFormatGif = 3;
inline constexpr std::int32_t kFormatTiff = 4;
inline constexpr std::int32_t kFormatPng = 5;

// Decodes `picture` and encodes it in `format`. On success `converted` is
// replaced by exactly the encoded file and, when `savePath` is not empty
// after trimming spaces, the same bytes are written to that file (its
// outcome is not looked at); the result is true. On failure (empty or
// undecodable input, a format number outside 1 to 5) `converted` keeps its
// contents, no file is written and the result is false.
bool ConvertImageFormat(const base::Bytes& picture, std::int32_t format, const base::Text& savePath,
                        base::Bytes& converted);
inline bool ConvertImageFormat(const base::Bytes& picture, std::int32_t format,
                               base::Bytes& converted) {
  return ConvertImageFormat(picture, format, base::Text(), converted);
}

// The same without a file, for a caller that may stop wanting the result
// while it waits for its turn: once it may run, `wanted` is asked (on this
// thread, no lock held, holding the turn: it must not convert); when it
// answers false nothing is converted, the result is false and `converted`
// keeps its contents.
bool ConvertImageFormatIfWanted(const base::Bytes& picture, std::int32_t format,
                                base::Bytes& converted, const std::function<bool()>& wanted);

// Conversions that run at once. One: a photo's conversion holds its
// full-size BMP about twice while the BMP changes hands, and two at a time
// would add those up for little gain; the machine's other cores keep the
// window, the scaling of shown photos and the network going meanwhile.
inline constexpr unsigned kConversionsAtOnce = 1;

// How many conversions wait for their turn now. Any thread; for tests.
int ConversionsWaiting();

// `text` (GBK) as UTF-16 little-endian, with the terminating NUL character
// (two zero bytes); empty for an empty text.
base::Bytes AnsiToWide(const base::Text& text);

}  // namespace pixaroo
