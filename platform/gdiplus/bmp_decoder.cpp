#include "platform/gdiplus/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "base/little_endian.h"
#include "platform/gdiplus/bmp_format.h"

namespace gdiplus {
namespace {

using namespace bmp;

constexpr std::size_t kMaxPaletteEntries = 256;
using Bgra = std::array<std::uint8_t, 4>;

// Fields the caller has checked lie inside `d`.
std::uint16_t U16(ByteSpan d, std::size_t at) { return base::DecodeFixed16(d.data() + at); }
std::uint32_t U32(ByteSpan d, std::size_t at) { return base::DecodeFixed32(d.data() + at); }

struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

Channel MakeChannel(std::uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask != 0) {
    c.shift = std::countr_zero(mask);
    c.bits = static_cast<int>(std::bit_width(mask >> c.shift));
  }
  return c;
}

std::uint8_t Extract(const Channel& c, std::uint32_t pixel, std::uint8_t absent) {
  if (c.mask == 0) return absent;
  const std::uint32_t v = (pixel & c.mask) >> c.shift;
  return c.bits > 8 ? static_cast<std::uint8_t>(v >> (c.bits - 8)) : ScaleTo8(v, c.bits);
}

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool topDown = false;
  unsigned bitsPerPixel = 0;
  std::uint32_t compression = BI_RGB;
  std::size_t pixelOffset = 0;
  std::array<Channel, 4> channels{};  // R, G, B, A
  std::array<Bgra, kMaxPaletteEntries> palette{};
};

bool ValidHeaderSize(std::uint32_t size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == kOs2HeaderSize || size == kV4HeaderSize || size == kV5HeaderSize;
}

// Masks for bit-field pictures; *extra is the bytes they take after a plain
// header (larger headers hold them inside).
PictureResult ReadMasks(ByteSpan d, std::uint32_t headerSize, Header* h, std::size_t* extra) {
  if (h->bitsPerPixel != 16 && h->bitsPerPixel != 32) return PictureError::kUnsupportedKind;
  const std::size_t base = kFileHeaderSize + kInfoHeaderSize;
  std::size_t count = 0;
  if (headerSize == kInfoHeaderSize) {
    count = h->compression == BI_ALPHABITFIELDS ? 4 : 3;
    *extra = count * 4;
  } else {
    count = std::min<std::size_t>(4, (headerSize - kInfoHeaderSize) / 4);
    *extra = 0;
  }
  if (base + count * 4 > d.size()) return PictureError::kTruncated;
  h->channels = {};
  for (std::size_t i = 0; i < count; ++i) h->channels[i] = MakeChannel(U32(d, base + 4 * i));
  return base::Done{};
}

void DefaultMasks(Header* h) {
  if (h->bitsPerPixel == 16) {
    h->channels = {MakeChannel(0x7C00), MakeChannel(0x03E0), MakeChannel(0x001F), Channel{}};
  } else {
    h->channels = {MakeChannel(0xFF0000), MakeChannel(0xFF00), MakeChannel(0xFF), Channel{}};
  }
}

PictureResult ReadPalette(ByteSpan d, std::size_t at, std::size_t entrySize, std::uint32_t used,
                          Header* h) {
  for (Bgra& e : h->palette) e = {0, 0, 0, 0xFF};
  const std::size_t full = std::size_t{1} << h->bitsPerPixel;
  const std::size_t count = used == 0 || used > full ? full : used;
  if (at + count * entrySize > d.size()) return PictureError::kTruncated;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t p = at + i * entrySize;
    h->palette[i] = {d[p], d[p + 1], d[p + 2], 0xFF};
  }
  return base::Done{};
}

bool CompressionFits(const Header& h, std::uint32_t headerSize) {
  switch (h.compression) {
    case BI_RGB: {
      const unsigned b = h.bitsPerPixel;
      return b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32;
    }
    case BI_RLE8: return h.bitsPerPixel == 8 && !h.topDown && headerSize != kCoreHeaderSize;
    case BI_RLE4: return h.bitsPerPixel == 4 && !h.topDown && headerSize != kCoreHeaderSize;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: return headerSize != kOs2HeaderSize;
    default: return false;
  }
}

// The header's fields, checked against the limits and the file's length.
PictureResult ParseHeader(ByteSpan d, Header* h) {
  if (d.size() < 2 || d[0] != 'B' || d[1] != 'M') return PictureError::kUnknownFormat;
  if (d.size() < kFileHeaderSize + 4) return PictureError::kTruncated;
  const std::uint32_t headerSize = U32(d, kFileHeaderSize + kHeaderSizeField);
  if (!ValidHeaderSize(headerSize)) return PictureError::kUnsupportedKind;
  if (kFileHeaderSize + headerSize > d.size()) return PictureError::kTruncated;
  std::int64_t width = 0, height = 0;
  std::uint32_t used = 0;
  if (headerSize == kCoreHeaderSize) {
    width = U16(d, kFileHeaderSize + kCoreWidthField);
    height = U16(d, kFileHeaderSize + kCoreHeightField);
    h->bitsPerPixel = U16(d, kFileHeaderSize + kCoreBitCountField);
  } else {
    width = static_cast<std::int32_t>(U32(d, kFileHeaderSize + kWidthField));
    height = static_cast<std::int32_t>(U32(d, kFileHeaderSize + kHeightField));
    h->bitsPerPixel = U16(d, kFileHeaderSize + kBitCountField);
    h->compression = U32(d, kFileHeaderSize + kCompressionField);
    used = U32(d, kFileHeaderSize + kColoursUsedField);
  }
  h->topDown = height < 0;
  if (height < 0) height = -height;
  if (width < 0) return PictureError::kDamagedHeader;
  const PictureResult size =
      CheckDimensions(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
  if (!size.ok()) return size;
  if (!CompressionFits(*h, headerSize)) return PictureError::kUnsupportedKind;
  h->width = static_cast<std::uint32_t>(width);
  h->height = static_cast<std::uint32_t>(height);
  std::size_t tableAt = kFileHeaderSize + headerSize;
  if (h->compression == BI_BITFIELDS || h->compression == BI_ALPHABITFIELDS) {
    std::size_t extra = 0;
    if (PictureResult masks = ReadMasks(d, headerSize, h, &extra); !masks.ok()) return masks;
    tableAt += extra;
  } else if (h->bitsPerPixel >= 16) {
    DefaultMasks(h);
  }
  if (h->bitsPerPixel <= 8) {
    PictureResult palette = ReadPalette(d, tableAt, headerSize == kCoreHeaderSize ? 3 : 4, used, h);
    if (!palette.ok()) return palette;
  }
  const std::uint32_t offset = U32(d, kPixelOffsetField);
  h->pixelOffset = offset == 0 ? tableAt : offset;
  if (h->pixelOffset > d.size()) return PictureError::kTruncated;
  // Uncompressed rows must all be there (the last one may lack its padding);
  // checked here so that a short file never makes anyone allocate its size.
  if (h->compression == BI_RLE8 || h->compression == BI_RLE4) return base::Done{};
  const std::uint64_t stride = RowStride(h->width, h->bitsPerPixel);
  const std::uint64_t lastRow = (std::uint64_t{h->width} * h->bitsPerPixel + 7) / 8;
  if (h->pixelOffset + stride * (h->height - 1) + lastRow > d.size()) {
    return PictureError::kTruncated;
  }
  return base::Done{};
}

std::uint32_t IndexAt(const std::uint8_t* row, std::uint32_t x, unsigned bits) {
  switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    default: return row[x];
  }
}

void DecodeRow(const Header& h, const std::uint8_t* in, std::uint8_t* out) {
  const unsigned bits = h.bitsPerPixel;
  for (std::uint32_t x = 0; x < h.width; ++x, out += 4) {
    if (bits <= 8) {
      std::memcpy(out, h.palette[IndexAt(in, x, bits)].data(), 4);
      continue;
    }
    if (bits == 24) {
      const std::uint8_t* p = in + std::size_t{x} * 3;
      out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 0xFF;
      continue;
    }
    const std::uint8_t* p = in + std::size_t{x} * (bits / 8);
    const std::uint32_t v = bits == 16 ? base::DecodeFixed16(p) : base::DecodeFixed32(p);
    out[0] = Extract(h.channels[2], v, 0);
    out[1] = Extract(h.channels[1], v, 0);
    out[2] = Extract(h.channels[0], v, 0);
    out[3] = Extract(h.channels[3], v, 0xFF);
  }
}

void DecodeUncompressed(ByteSpan d, const Header& h, const PixelTarget& target) {
  const std::uint64_t stride = RowStride(h.width, h.bitsPerPixel);
  std::vector<std::uint8_t> row(std::size_t{h.width} * 4);
  for (std::uint32_t i = 0; i < h.height; ++i) {
    DecodeRow(h, d.data() + h.pixelOffset + stride * i, row.data());
    StoreBgraRow(target, h.topDown ? i : h.height - 1 - i, row.data(), h.width);
  }
}

// Runs of palette indices into `indices` (bottom row first). Stops quietly
// at the end of the data: what was decoded so far stands.
void DecodeRle(ByteSpan d, const Header& h, std::vector<std::uint8_t>* indices) {
  const bool four = h.compression == BI_RLE4;
  std::size_t p = h.pixelOffset;
  std::uint64_t x = 0, line = 0;
  auto put = [&](std::uint8_t v) {
    if (x < h.width && line < h.height) (*indices)[line * h.width + x] = v;
    ++x;
  };
  auto nibble = [](std::uint8_t b, std::size_t i) {
    return static_cast<std::uint8_t>((i & 1) ? b & 0xF : b >> 4);
  };
  while (p + 2 <= d.size() && line < h.height) {
    const std::uint8_t count = d[p], value = d[p + 1];
    p += 2;
    if (count > 0) {
      for (std::size_t i = 0; i < count; ++i) put(four ? nibble(value, i) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++line;
    } else if (value == 1) {  // end of picture
      return;
    } else if (value == 2) {  // move right and up
      if (p + 2 > d.size()) return;
      x += d[p];
      line += d[p + 1];
      p += 2;
    } else {  // `value` pixels stored one by one, padded to a word
      const std::size_t bytes = four ? (value + 1u) / 2 : value;
      if (p + bytes > d.size()) return;
      for (std::size_t i = 0; i < value; ++i) put(four ? nibble(d[p + i / 2], i) : d[p + i]);
      p += (bytes + 1) & ~std::size_t{1};
    }
  }
}

}  // namespace

bool BmpDecoder::Sniff(ByteSpan data) {
  return data.size() >= 2 && data[0] == 'B' && data[1] == 'M';
}

PictureOr<ImageInfo> BmpDecoder::ReadInfo(ByteSpan data) {
  Header h;
  if (PictureResult parsed = ParseHeader(data, &h); !parsed.ok()) return parsed.error();
  return ImageInfo{h.width, h.height, h.channels[3].mask != 0};
}

PictureResult BmpDecoder::Decode(ByteSpan data, const ImageInfo& info, const PixelTarget& target) {
  Header h;
  if (PictureResult parsed = ParseHeader(data, &h); !parsed.ok()) return parsed;
  if (h.width != info.width || h.height != info.height) return PictureError::kDamagedHeader;
  if (h.compression != BI_RLE8 && h.compression != BI_RLE4) {
    DecodeUncompressed(data, h, target);
    return base::Done{};
  }
  // RLE data may jump about; decode palette indices first.
  std::vector<std::uint8_t> indices(std::size_t{h.width} * h.height, 0);
  DecodeRle(data, h, &indices);
  std::vector<std::uint8_t> row(std::size_t{h.width} * 4);
  for (std::uint32_t y = 0; y < h.height; ++y) {
    const std::uint8_t* in = indices.data() + std::size_t{y} * h.width;
    for (std::uint32_t x = 0; x < h.width; ++x) std::memcpy(&row[std::size_t{x} * 4], h.palette[in[x]].data(), 4);
    StoreBgraRow(target, h.height - 1 - y, row.data(), h.width);
  }
  return base::Done{};
}

}  // namespace gdiplus
