// A picture file decoded and scaled for the screen by the project's own
// decoders (platform/gdiplus), handed over as a QImage. Qt never decodes
// the file itself, so no picture the decoders accept is refused for its
// size, and nothing is decoded beyond their limits.
//
// Pure; any thread.
#pragma once

#include <QImage>
#include <QSize>

#include "base/bytes.h"
#include "platform/gdiplus/fit_scaler.h"

namespace korvex {

// `bytes` scaled to the size `rule` gives for the picture's own size, as a
// premultiplied ARGB32 image; null when the bytes are no picture, the
// decoders refuse it, or the rule's size is empty. When `own` is not null
// it receives the picture's own size (empty when there is no image).
QImage DecodeScaled(gdiplus::ByteSpan bytes, const gdiplus::SizeRule& rule, QSize* own = nullptr);

}  // namespace korvex
