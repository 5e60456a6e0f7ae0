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

PictureOr<Header> ReadHeader(tjhandle h, ByteSpan data) {
  if (h == nullptr) return PictureError::kOutOfMemory;
  if (data.size() > ULONG_MAX) return PictureError::kUnreadableSource;
  Header header;
  int subsamp = 0;
  if (tjDecompressHeader3(h, data.data(), static_cast<unsigned long>(data.size()), &header.width,
                          &header.height, &subsamp, &header.colorspace) != 0) {
    return PictureError::kDamagedHeader;
  }
  if (header.width < 0 || header.height < 0) return PictureError::kDamagedHeader;
  const PictureResult size = CheckDimensions(static_cast<std::uint64_t>(header.width),
                                             static_cast<std::uint64_t>(header.height));
  if (!size.ok()) return size.error();
  return header;
}

// A failed call counts as success when the library only warned (for example
// about data cut short): the picture is complete, its missing part filled.
bool Succeeded(tjhandle h, int result) { return result == 0 || tjGetErrorCode(h) == TJERR_WARNING; }

PictureResult DecodeCmyk(tjhandle h, ByteSpan data, const Header& hd, const PixelTarget& target) {
  const std::size_t w = static_cast<std::size_t>(hd.width);
  std::vector<std::uint8_t> cmyk(w * 4 * static_cast<std::size_t>(hd.height));
  const int r = tjDecompress2(h, data.data(), static_cast<unsigned long>(data.size()), cmyk.data(),
                              hd.width, 0, hd.height, TJPF_CMYK, kDecodeFlags);
  if (!Succeeded(h, r)) return PictureError::kDamagedData;
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
  return base::Done{};
}

}  // namespace

bool JpegDecoder::Sniff(ByteSpan data) {
  return data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

PictureOr<ImageInfo> JpegDecoder::ReadInfo(ByteSpan data) {
  TjHandle h(tjInitDecompress());
  const PictureOr<Header> hd = ReadHeader(h.get(), data);
  if (!hd.ok()) return hd.error();
  return ImageInfo{static_cast<std::uint32_t>(hd->width), static_cast<std::uint32_t>(hd->height),
                   false};
}

PictureResult JpegDecoder::Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target) {
  TjHandle h(tjInitDecompress());
  const PictureOr<Header> header = ReadHeader(h.get(), data);
  if (!header.ok()) return header.error();
  const Header& hd = *header;
  if (hd.width != static_cast<int>(info.width) || hd.height != static_cast<int>(info.height)) {
    return PictureError::kDamagedHeader;
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
  if (!Succeeded(h.get(), r)) return PictureError::kDamagedData;
  return base::Done{};
}

}  // namespace gdiplus
