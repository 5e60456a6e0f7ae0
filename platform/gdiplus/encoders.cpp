#include "platform/gdiplus/encoders.h"

#include "platform/gdiplus/bmp_writer.h"
#include "platform/gdiplus/gif_writer.h"
#include "platform/gdiplus/jpeg_writer.h"
#include "platform/gdiplus/png_writer.h"
#include "platform/gdiplus/tiff_writer.h"

namespace gdiplus {
namespace {

// The published identifiers of the built-in encoders.
constexpr CLSID EncoderId(std::uint32_t data1) {
  return CLSID{data1, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
}

constexpr Encoder kEncoders[] = {
    {EncoderId(0x557CF400), "BMP", WriteBmp},  {EncoderId(0x557CF401), "JPEG", WriteJpeg},
    {EncoderId(0x557CF402), "GIF", WriteGif},  {EncoderId(0x557CF405), "TIFF", WriteTiff},
    {EncoderId(0x557CF406), "PNG", WritePng},
};

}  // namespace

const Encoder* FindEncoder(const CLSID& clsid) {
  for (const Encoder& e : kEncoders) {
    if (e.clsid == clsid) return &e;
  }
  return nullptr;
}

}  // namespace gdiplus
