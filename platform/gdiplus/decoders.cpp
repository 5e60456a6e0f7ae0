#include "platform/gdiplus/decoders.h"

#include "platform/gdiplus/bmp_decoder.h"
#include "platform/gdiplus/gif_decoder.h"
#include "platform/gdiplus/jpeg_decoder.h"
#include "platform/gdiplus/png_decoder.h"
#include "platform/gdiplus/tiff_decoder.h"

namespace gdiplus {
namespace {

constexpr Decoder kDecoders[] = {
    {"JPEG", JpegDecoder::Sniff, JpegDecoder::ReadInfo, JpegDecoder::Decode},
    {"PNG", PngDecoder::Sniff, PngDecoder::ReadInfo, PngDecoder::Decode},
    {"GIF", GifDecoder::Sniff, GifDecoder::ReadInfo, GifDecoder::Decode},
    {"BMP", BmpDecoder::Sniff, BmpDecoder::ReadInfo, BmpDecoder::Decode},
    {"TIFF", TiffDecoder::Sniff, TiffDecoder::ReadInfo, TiffDecoder::Decode},
};

}  // namespace

const Decoder* FindDecoder(ByteSpan data) {
  for (const Decoder& d : kDecoders) {
    if (d.sniff(data)) return &d;
  }
  return nullptr;
}

}  // namespace gdiplus
