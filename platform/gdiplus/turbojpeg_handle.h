// Owning handles for TurboJPEG compressors and decompressors.
#pragma once

#include <turbojpeg.h>

#include <memory>
#include <type_traits>

namespace gdiplus {

struct TjDestroyer {
  void operator()(tjhandle h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<std::remove_pointer_t<tjhandle>, TjDestroyer>;

struct TjFreer {
  void operator()(unsigned char* p) const { tjFree(p); }
};
using TjBuffer = std::unique_ptr<unsigned char, TjFreer>;

}  // namespace gdiplus
