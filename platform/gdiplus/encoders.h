// The table of encoders, one per class identifier. Each encoder writes a
// picture through a StreamWriter (stream_writer.h), which takes back what a
// failed encoder wrote.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/stream_writer.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage;
// Done once the file is written and committed, else the reason.
using EncodeFn = PictureResult (*)(GpImage& image, StreamWriter& out);

struct Encoder {
  CLSID clsid;
  const char* name;
  EncodeFn encode;
};

// The encoder for `clsid`, or null.
const Encoder* FindEncoder(const CLSID& clsid);

}  // namespace gdiplus
