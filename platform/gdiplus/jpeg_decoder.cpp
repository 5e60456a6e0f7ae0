#include "platform/gdiplus/jpeg_decoder.h"

#include <climits>
#include <vector>

#include "platform/gdiplus/turbojpeg_handle.h"

namespace gdiplus {
namespace {

// Progressive pictures with more scans than this are refused (bounded time).
constexpr int kDecodeFlags = TJFLAG_LIMITSCANS;

struct Header {
  int width = 0;
  int height = 0;
  int colorspace = 0;
};

bool ReadHeader(tjhandle h, ByteSpan data, Header* header) {
  if (data.size() > ULONG_MAX) return false;
  int subsamp = 0;
  return tjDecompressHeader3(h, data.data(), static_cast<unsigned long>(data.size()),
                             &header->width, &header->height, &subsamp,
                             &header->colorspace) == 0;
}

// A failed call counts as success when the library only warned (for example
// about data cut short): the picture is complete, its missing part filled.
bool Succeeded(tjhandle h, int result) { return result == 0 || tjGetErrorCode(h) == TJERR_WARNING; }

bool DecodeCmyk(tjhandle h, ByteSpan data, const Header& hd, const PixelTarget& target) {
  const std::size_t w = static_cast<std::size_t>(hd.width);
  std::vector<std::uint8_t> cmyk(w * 4 * static_cast<std::size_t>(hd.height));
  const int r = tjDecompress2(h, data.data(), static_cast<unsigned long>(data.size()), cmyk.data(),
                              hd.width, 0, hd.height, TJPF_CMYK, kDecodeFlags);
  if (!Succeeded(h, r)) return false;
  std::vector<std::uint8_t> row(w * 4);
  for (int y = 0; y < hd.height; ++y) {
    const std::uint8_t* in = cmyk.data() + static_cast<std::size_t>(y) * w * 4;
    for (std::size_t x = 0; x < w; ++x, in += 4) {
      // Inverted CMYK: each colour is ink × black / 255.
      const unsigned k = in[3];
      row[x * 4 + 0] = static_cast<std::uint8_t>((in[2] * k + 127) / 255);
      row[x * 4 + 1] = static_cast<std::uint8_t>((in[1] * k + 127) / 255);
      row[x * 4 + 2] = static_cast<std::uint8_t>((in[0] * k + 127) / 255);
      row[x * 4 + 3] = 0xFF;
    }
    StoreBgraRow(target, static_cast<std::uint32_t>(y), row.data(), static_cast<std::uint32_t>(w));
  }
  return true;
}

}  // namespace

bool JpegDecoder::Sniff(ByteSpan data) {
  return data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool JpegDecoder::ReadInfo(ByteSpan data, ImageInfo* info) {
  TjHandle h(tjInitDecompress());
  Header hd;
  if (!h || !ReadHeader(h.get(), data, &hd) || !DimensionsAllowed(hd.width, hd.height)) {
    return false;
  }
  *info = ImageInfo{static_cast<std::uint32_t>(hd.width), static_cast<std::uint32_t>(hd.height),
                    false};
  return true;
}

bool JpegDecoder::Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target) {
  TjHandle h(tjInitDecompress());
  Header hd;
  if (!h || !ReadHeader(h.get(), data, &hd) || hd.width != static_cast<int>(info.width) ||
      hd.height != static_cast<int>(info.height)) {
    return false;
  }
  if (hd.colorspace == TJCS_CMYK || hd.colorspace == TJCS_YCCK) {
    return DecodeCmyk(h.get(), data, hd, target);
  }
  // TurboJPEG takes a positive pitch; a negative one means bottom-up rows.
  int flags = kDecodeFlags;
  std::uint8_t* first = target.top;
  std::ptrdiff_t pitch = target.pitch;
  if (pitch < 0) {
    flags |= TJFLAG_BOTTOMUP;
    first = target.Row(info.height - 1);
    pitch = -pitch;
  }
  const int format = target.bytesPerPixel == 4 ? TJPF_BGRA : TJPF_BGR;
  const int r = tjDecompress2(h.get(), data.data(), static_cast<unsigned long>(data.size()), first,
                              hd.width, static_cast<int>(pitch), hd.height, format, flags);
  return Succeeded(h.get(), r);
}

}  // namespace gdiplus
